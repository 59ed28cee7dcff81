#include "location/AnswerDocument.h"

#include "location/BStr.h"
#include "location/CommentCheck.h"
#include "location/Variant.h"
#include "location/XmlGuids.h"
#include "platform/FileBytes.h"
#include "platform/PathText.h"

namespace {
constexpr DWORD kAnyServer = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;
// The document's ready state once the whole file is parsed.
constexpr long kParsedCompletely = 4;
// More than any answer the transport keeps (4 MiB); a larger file is left to the component.
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
    // A comment holding "--" makes the file not well-formed, so it never has a root; the
    // component can take minutes to find that out (time growing with the square of the
    // count), so such a file is not given to it.
    const std::wstring wide = widePath(path);
    std::string bytes;
    if (readFileBytes(wide, bytes, kMaxReadBytes) && hasHyphensInComment(bytes)) {
        return AnswerDocument();
    }
    document->load(Variant::text(wide).get(), &loaded);

    ComPtr<IXMLDOMElement> root;
    if (!completelyParsed(document) || FAILED(document->get_documentElement(root.put())) || !root ||
        hasDeclaration(document)) {
        return AnswerDocument();
    }
    return AnswerDocument(std::move(document), XmlCursor(std::move(root)));
}
