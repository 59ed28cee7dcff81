#include "location/CommentCheck.h"

namespace {
enum class Form { Bytes, LittleEndian, BigEndian };

// The ASCII text as it stands in a document of that form.
std::string encoded(const char* text, Form form) {
    std::string result;
    for (; *text != '\0'; ++text) {
        if (form == Form::BigEndian) {
            result += '\0';
        }
        result += *text;
        if (form == Form::LittleEndian) {
            result += '\0';
        }
    }
    return result;
}

bool hasHyphensInComment(const std::string& bytes, Form form) {
    // Each opening with the text that ends what it opens.
    const std::string openings[] = {encoded("<!--", form), encoded("<![CDATA[", form),
                                    encoded("<?", form)};
    const std::string endings[] = {encoded("--", form), encoded("]]>", form), encoded("?>", form)};
    const std::string commentEnd = encoded("-->", form);
    size_t at = 0;
    for (;;) {
        size_t first = std::string::npos;
        size_t kind = 0;
        for (size_t k = 0; k < 3; ++k) {
            const size_t found = bytes.find(openings[k], at);
            if (found < first) {
                first = found;
                kind = k;
            }
        }
        if (first == std::string::npos) {
            return false;
        }
        const size_t end = bytes.find(endings[kind], first + openings[kind].size());
        if (end == std::string::npos) {
            return false;
        }
        if (kind == 0 && bytes.compare(end, commentEnd.size(), commentEnd) != 0) {
            return true;
        }
        at = end + (kind == 0 ? commentEnd.size() : endings[kind].size());
    }
}
} // namespace

bool hasHyphensInComment(const std::string& bytes) {
    for (const Form form : {Form::Bytes, Form::LittleEndian, Form::BigEndian}) {
        if (hasHyphensInComment(bytes, form)) {
            return true;
        }
    }
    return false;
}
