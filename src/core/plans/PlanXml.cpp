#include "PlanXml.h"

#include "PlanChecks.h"

namespace zeltrin::planio::detail {

QString xmlDamagedText(const QXmlStreamReader &xml, const QByteArray &bytes, const QString &file)
{
    if (xml.error() == QXmlStreamReader::PrematureEndOfDocumentError)
        return damagedText(file, endsUnexpectedlyText(bytes));
    return damagedText(file, placeText(xml.lineNumber(), xml.columnNumber(), xml.errorString()));
}

QString readToRoot(QXmlStreamReader &xml, const QByteArray &bytes, const QString &file)
{
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::DTD) {
            if (!xml.entityDeclarations().isEmpty() || xml.text().contains(u"<!ENTITY"))
                return QStringLiteral("it declares XML entities, which are not read");
        } else if (token == QXmlStreamReader::StartElement) {
            return {};
        }
    }
    return xmlDamagedText(xml, bytes, file);
}

QString xmlRootKind(QStringView root)
{
    if (root == u"kml")
        return QStringLiteral("a KML file");
    if (root == u"gpx")
        return QStringLiteral("a GPX file");
    if (root.compare(u"html", Qt::CaseInsensitive) == 0)
        return QStringLiteral("a web page (HTML)");
    if (root == u"svg")
        return QStringLiteral("an SVG image");
    return QStringLiteral("an XML document with a <%1> root").arg(excerpt(root));
}

} // namespace zeltrin::planio::detail
