#include "location/XmlCursor.h"

#include "location/BStr.h"
#include "location/Variant.h"
#include "location/XmlGuids.h"

XmlCursor::XmlCursor(ComPtr<IXMLDOMElement> element) : element_(std::move(element)) {
    countChildren();
}

XmlCursor XmlCursor::firstChild() const {
    XmlCursor child;
    if (!element_ || FAILED(element_->get_childNodes(child.list_.put())) || !child.list_) {
        return XmlCursor();
    }
    child.index_ = 0;
    child.position();
    return child;
}

XmlCursor& XmlCursor::next() {
    if (index_ != -1) {
        ++index_;
        position();
    }
    return *this;
}

void XmlCursor::position() {
    element_.reset();
    // A node that is not an element has no children to walk.
    childCount_ = 0;
    ComPtr<IXMLDOMNode> item;
    if (!list_ || FAILED(list_->get_item(index_, item.put())) || !item) {
        return;
    }
    DOMNodeType type = NODE_INVALID;
    if (FAILED(item->get_nodeType(&type)) || type != NODE_ELEMENT) {
        return;
    }
    element_ = item.query<IXMLDOMElement>(kIidXmlDomElement);
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
