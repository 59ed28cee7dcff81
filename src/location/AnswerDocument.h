#pragma once

#include "location/ComPtr.h"
#include "location/XmlCursor.h"

#include <string>

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
