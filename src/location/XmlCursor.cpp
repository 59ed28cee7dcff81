#include "location/XmlCursor.h"

#include "location/BStr.h"
#include "location/Variant.h"
#include "location/XmlGuids.h"

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
