#pragma once

#include <QByteArrayView>

class QTextDocument;

// A reader for the rich text that word processors write (WordPad, Word, LibreOffice, pandoc), enough
// for a manual: character and paragraph formatting, tables as rows of tab-separated cells, bullets as
// the writer's visible text, PNG and JPEG pictures. It never recurses, reads every byte at most a
// fixed number of times and accepts any bytes at all; what it cannot make sense of it leaves out.
namespace rtf {

// Replaces the document's contents with the rich text in `data`. Returns false, leaving the document
// empty, when `data` does not start with the "{\rtf" header; a header followed by garbage still
// returns true with whatever text could be read.
bool read(QByteArrayView data, QTextDocument& document);

} // namespace rtf
