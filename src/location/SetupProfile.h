#pragma once

#include <windows.h>

#include <string>

// The answers of the page; each field is written to apps.ini under its own name.
class SetupProfile {
public:
    // Stamped with the local date of creation.
    SetupProfile();
    explicit SetupProfile(const SYSTEMTIME& today);

    // "MM/DD/YY" of a date.
    static std::string dateStamp(const SYSTEMTIME& day);

    void setYob(std::string v) { yob_ = std::move(v); }
    void setGender(std::string v) { gender_ = std::move(v); }
    void setTemperature(std::string v) { temperature_ = std::move(v); }
    void setLocCountry(std::string v) { locCountry_ = std::move(v); }
    void setLocDisplayName(std::string v) { locDisplayName_ = std::move(v); }
    void setLocDMA(std::string v) { locDMA_ = std::move(v); }
    void setLocID(std::string v) { locID_ = std::move(v); }
    void setLocState(std::string v) { locState_ = std::move(v); }
    void setLocType(std::string v) { locType_ = std::move(v); }
    void setLocZip(std::string v) { locZip_ = std::move(v); }

    const std::string& ea() const { return ea_; }
    const std::string& su() const { return su_; }
    const std::string& yob() const { return yob_; }
    const std::string& gender() const { return gender_; }
    const std::string& temperature() const { return temperature_; }
    const std::string& locCountry() const { return locCountry_; }
    const std::string& locDisplayName() const { return locDisplayName_; }
    const std::string& locDMA() const { return locDMA_; }
    const std::string& locID() const { return locID_; }
    const std::string& locState() const { return locState_; }
    const std::string& locType() const { return locType_; }
    const std::string& locZip() const { return locZip_; }

private:
    std::string ea_;
    std::string su_;
    std::string yob_;
    std::string gender_ = "F";
    std::string temperature_ = "F";
    std::string locCountry_;
    std::string locDisplayName_;
    std::string locDMA_;
    std::string locID_;
    std::string locState_;
    std::string locType_;
    std::string locZip_;
};
