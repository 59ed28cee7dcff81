#include "app/HelpText.h"

const char kWhyWeAskText[] =
    "Zip Code or city:\r\n"
    "Your Zip Code or city name is required in order for us to\r\n"
    "provide you with weather information that is specific to your area.\r\n"
    "\r\n"
    "Gender or Year of Birth:\r\n"
    "We ask for year of birth as part of our compliance with the Children's\r\n"
    "Online Privacy Protection Act of 1998. In addition, we ask for gender,\r\n"
    "year of birth and Zip Code or city name so that we and our affiliates\r\n"
    "may provide you with a more personalized experience.\r\n"
    "\r\n"
    "Fahrenheit vs. Celsius:\r\n"
    "This is required to set your weather unit preference. We will display\r\n"
    "temperature in the unit you specify.\r\n"
    "\r\n";
