#pragma once

#include "location/ComValues.h"

#include <windows.h>
#include <msxml2.h>

#include <cstddef>
#include <cstdint>
#include <ole2.h>
#include <string>

// How a reader turns a value of an answer into 8-bit text, one byte per code unit.
enum class Narrowing {
    LowByte, // each unit keeps its low byte; a unit whose low byte is 0 becomes '?'
    Latin1,  // U+0001 to U+00FF keep their byte; anything else becomes '?'
};

// The first limit code units of value, narrowed by rule: never a NUL inside the text.
std::string narrowAnswerText(const std::wstring& value, size_t limit, Narrowing rule);

// True when a comment in the document's bytes holds "--" other than at its end, which no
// well-formed document does. Read in each form an answer file may take: one byte a
// character, or UTF-16 in either byte order. CDATA sections and processing instructions,
// which may hold such text, are skipped.
bool hasHyphensInComment(const std::string& bytes);

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

// A loaded answer file and a cursor on its document element. Everything read from
// it is released with it.
class AnswerDocument {
public:
    // No document: no element to read.
    AnswerDocument() = default;
    AnswerDocument(ComPtr<IXMLDOMDocument> document, XmlCursor root)
        : document_(std::move(document)), root_(std::move(root)) {}

    bool hasRoot() const { return root_.isElement(); }
    const XmlCursor& root() const { return root_; }

private:
    ComPtr<IXMLDOMDocument> document_;
    XmlCursor root_;
};

// Loads an answer saved at path (ANSI text). A file that is missing, not well-formed
// or carries a document type declaration, or a component that cannot be created,
// gives a document without root. The thread has initialised the component runtime.
AnswerDocument openAnswerDocument(const std::string& path);
