#pragma once

#include <QString>
#include <QXmlStreamReader>

// What the XML readers (KML, GPX) share: the walk to the root, and reasons in the pilot's words.
namespace zeltrin::planio::detail {

// Reads up to the root element, refusing a DTD that declares entities (nested ones expand
// without bound, external ones read local files). Empty when the reader stands on the root's
// start, else the reason; `file` names the file in it ("KML file").
QString readToRoot(QXmlStreamReader &xml, const QByteArray &bytes, const QString &file);

// The reason for a reader that stopped on an error: "the KML file is damaged: it ends
// unexpectedly at line 12", or "… is damaged at line 3, column 7: opening and ending tag mismatch".
QString xmlDamagedText(const QXmlStreamReader &xml, const QByteArray &bytes, const QString &file);

// What a document with this root element is: "a KML file", "a GPX file", "a web page (HTML)",
// "an XML document with a <svg> root".
QString xmlRootKind(QStringView root);

} // namespace zeltrin::planio::detail
