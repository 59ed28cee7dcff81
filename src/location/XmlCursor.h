#pragma once

#include "location/ComPtr.h"

#include <windows.h>
#include <ole2.h>
#include <msxml2.h>

#include <cstdint>
#include <string>

// Read access to one element of a loaded answer, or to one child node while walking
// a parent's children. Every absent value (no element, no such attribute or child,
// a value that is not text) reads as empty text. Copies share the nodes.
class XmlCursor {
public:
    // The empty cursor: no element, not in a list.
    XmlCursor() = default;
    // A cursor on an element, not in a list.
    explicit XmlCursor(ComPtr<IXMLDOMElement> element);

    bool isElement() const { return static_cast<bool>(element_); }
    int32_t index() const { return index_; }
    int32_t childCount() const { return childCount_; }

    // A cursor on the first child node; the empty cursor when there is no element.
    XmlCursor firstChild() const;
    // Moves to the next child node of the same parent; no effect outside a list.
    XmlCursor& next();

    std::wstring tagName() const;
    std::wstring attribute(const wchar_t* name) const;
    std::wstring text() const;
    // The first child element with exactly this name; the empty cursor when none.
    XmlCursor findChild(const std::wstring& name) const;

    // Calls visit with a cursor on every child node in document order, comments and
    // other non-element nodes included. The walk ends when the child's index reaches
    // this element's childCount.
    template <class Visit> void forEachChild(Visit visit) const {
        for (XmlCursor child = firstChild(); child.withinChildrenOf(*this); child.next()) {
            visit(static_cast<const XmlCursor&>(child));
        }
    }

private:
    bool withinChildrenOf(const XmlCursor& parent) const {
        return index_ >= 0 && index_ < parent.childCount_;
    }
    void position(ComPtr<IXMLDOMNode> item);
    void countChildren();

    ComPtr<IXMLDOMElement> element_;
    // The child node at index_; the walk steps to its next sibling, because the platform's
    // node list may count from the first child on every indexed look-up.
    ComPtr<IXMLDOMNode> node_;
    int32_t index_ = -1;
    int32_t childCount_ = 0;
};
