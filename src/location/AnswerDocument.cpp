#include "location/AnswerDocument.h"

#include "location/ComValues.h"
#include "platform/Files.h"

std::string narrowAnswerText(const std::wstring& value, size_t limit, Narrowing rule) {
    const size_t length = value.size() < limit ? value.size() : limit;
    std::string text;
    text.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        const wchar_t unit = value[i];
        const bool kept =
            rule == Narrowing::LowByte ? (unit & 0xFF) != 0 : unit >= 0x01 && unit <= 0xFF;
        text.push_back(kept ? static_cast<char>(unit & 0xFF) : '?');
    }
    return text;
}

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

XmlCursor::XmlCursor(ComPtr<IXMLDOMElement> element) : element_(std::move(element)) {
    countChildren();
}

XmlCursor XmlCursor::firstChild() const {
    XmlCursor child;
    ComPtr<IXMLDOMNodeList> list;
    if (!element_ || FAILED(element_->get_childNodes(list.put())) || !list) {
        return XmlCursor();
    }
    ComPtr<IXMLDOMNode> first;
    if (FAILED(list->get_item(0, first.put()))) {
        first.reset();
    }
    child.index_ = 0;
    child.position(std::move(first));
    return child;
}

XmlCursor& XmlCursor::next() {
    if (index_ != -1) {
        ++index_;
        ComPtr<IXMLDOMNode> sibling;
        if (node_ && FAILED(node_->get_nextSibling(sibling.put()))) {
            sibling.reset();
        }
        position(std::move(sibling));
    }
    return *this;
}

void XmlCursor::position(ComPtr<IXMLDOMNode> item) {
    node_ = std::move(item);
    element_.reset();
    // A node that is not an element has no children to walk.
    childCount_ = 0;
    DOMNodeType type = NODE_INVALID;
    if (!node_ || FAILED(node_->get_nodeType(&type)) || type != NODE_ELEMENT) {
        return;
    }
    element_ = node_.query<IXMLDOMElement>(kIidXmlDomElement);
    countChildren();
}

void XmlCursor::countChildren() {
    childCount_ = 0;
    ComPtr<IXMLDOMNodeList> children;
    long length = 0;
    if (element_ && SUCCEEDED(element_->get_childNodes(children.put())) && children &&
        SUCCEEDED(children->get_length(&length)) && length > 0) {
        childCount_ = static_cast<int32_t>(length);
    }
}

std::wstring XmlCursor::tagName() const {
    BStr name;
    if (!element_ || FAILED(element_->get_tagName(name.put()))) {
        return std::wstring();
    }
    return name.text();
}

std::wstring XmlCursor::attribute(const wchar_t* name) const {
    if (!element_) {
        return std::wstring();
    }
    const BStr attributeName(name);
    Variant value;
    if (!attributeName.get() || FAILED(element_->getAttribute(attributeName.get(), value.put()))) {
        return std::wstring();
    }
    return value.textValue();
}

std::wstring XmlCursor::text() const {
    Variant value;
    if (!element_ || FAILED(element_->get_nodeTypedValue(value.put()))) {
        return std::wstring();
    }
    return value.textValue();
}

XmlCursor XmlCursor::findChild(const std::wstring& name) const {
    for (XmlCursor child = firstChild(); child.withinChildrenOf(*this); child.next()) {
        if (child.isElement() && child.tagName() == name) {
            return child;
        }
    }
    return XmlCursor();
}

namespace {
constexpr DWORD kAnyServer = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;
// The document's ready state once the whole file is parsed.
constexpr long kParsedCompletely = 4;
// More than any answer the transport keeps (4 MiB); a larger file is no answer.
constexpr size_t kMaxReadBytes = 64 * 1024 * 1024;

// Answers come over plain HTTP and may be forged. A real answer has no document type
// declaration, so the parser is told to refuse one (no entity expansion without bound)
// and never to fetch anything the answer names (no other files or hosts). A component
// that cannot be told so is not trusted with the file.
bool refuseDeclarations(const ComPtr<IXMLDOMDocument>& document) {
    const ComPtr<IXMLDOMDocument2> settings = document.query<IXMLDOMDocument2>(kIidXmlDomDocument2);
    const BStr prohibitDtd(L"ProhibitDTD");
    return settings && prohibitDtd.get() &&
           SUCCEEDED(settings->setProperty(prohibitDtd.get(), Variant::boolean(true).get())) &&
           SUCCEEDED(document->put_resolveExternals(VARIANT_FALSE));
}

// Some components accept the setting above and still keep a declaration; its entities
// would expand when a value is read, so such a document is not read at all.
bool hasDeclaration(const ComPtr<IXMLDOMDocument>& document) {
    ComPtr<IXMLDOMDocumentType> declaration;
    return FAILED(document->get_doctype(declaration.put())) || declaration;
}

bool completelyParsed(const ComPtr<IXMLDOMDocument>& document) {
    long state = 0;
    return SUCCEEDED(document->get_readyState(&state)) && state == kParsedCompletely;
}
} // namespace

AnswerDocument openAnswerDocument(const std::string& path) {
    ComPtr<IXMLDOMDocument> document;
    if (FAILED(CoCreateInstance(kClsidDomDocument, nullptr, kAnyServer, kIidXmlDomDocument,
                                document.putVoid())) ||
        !document || !refuseDeclarations(document)) {
        return AnswerDocument();
    }
    // Loaded before load returns; the load's own status is not consulted: a completely
    // parsed document with a document element is the only test.
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (FAILED(document->put_async(VARIANT_FALSE))) {
        return AnswerDocument();
    }
    // The component is given the bytes that were checked, read once: a file changed between a
    // check and a second reading would be parsed unchecked. A comment holding "--" makes the
    // file not well-formed, so it never has a root; the component can take minutes to find that
    // out (time growing with the square of the count), so such a file is not given to it.
    std::string bytes;
    if (!readFileBytes(path, bytes, kMaxReadBytes) || hasHyphensInComment(bytes)) {
        return AnswerDocument();
    }
    document->load(Variant::bytes(bytes).get(), &loaded);

    ComPtr<IXMLDOMElement> root;
    if (!completelyParsed(document) || FAILED(document->get_documentElement(root.put())) || !root ||
        hasDeclaration(document)) {
        return AnswerDocument();
    }
    return AnswerDocument(std::move(document), XmlCursor(std::move(root)));
}
