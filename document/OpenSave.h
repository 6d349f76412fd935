// Opening a file into a document and saving a document to a file, the format chosen
// by the lower-cased extension; the save dialog's naming rules.
#pragma once

#include <string>

#include "Document.h"
#include "Status.h"

// Opens `path` into an empty document: pictures become layer 0, projects bring all
// their layers. A failed open leaves the document empty.
Status OpenDocument(COrinDoc& doc, const std::string& path);

// Saves the document: projects through the project writer; pictures by flattening
// the visible layers, writing the flat picture ("gif" reduced to 8-bit colour
// first) and undoing the flatten. The target file is replaced only by a complete
// write; the document's layers are as before whatever happens.
Status SaveDocument(COrinDoc& doc, const std::string& path);

// The name the save dialog starts with: the document's path, or its title when there
// is none or its format cannot be saved; "UntitledImage" for a title with any of
// "#%;/\"; with the extension of the image's format.
std::string SuggestedSaveName(const COrinDoc& doc, bool saveAs);
// A name the save dialog may save to: its file name (after the last separator) is not
// empty, has something before its extension (no ".jpg" made of a folder name and the
// extension alone) and is not an existing folder.
bool IsUsableSaveName(const std::string& path);
// After the dialog: appends the format's extension when the name has no point among
// its last five characters.
std::string WithFormatExtension(const std::string& name, int formatCode);
// ".jpg", ".bmp", ".gif", ".tif", ".tsr", ".png", ".webp" ...: the first pattern of the filter entry.
std::string FormatExtension(int formatCode);
