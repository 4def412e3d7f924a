// KMZ: a zip holding a KML document (doc.kml by convention, else the first .kml). Unzipped with
// libzip, reading at most the cap whatever the archive's header claims, so a zip bomb stops there.
#include "PlanFormats.h"

#include <zip.h>

#include <memory>

namespace zeltrin::planio {

namespace {
struct ZipCloser {
    void operator()(zip_t *z) const { zip_discard(z); }
};
using ZipPtr = std::unique_ptr<zip_t, ZipCloser>;
} // namespace

PlanReadResult readKmz(const QByteArray &bytes, qint64 maxUnpacked)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source = zip_source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, &error);
    if (!source) {
        zip_error_fini(&error);
        return PlanReadResult::failure(QStringLiteral("the KMZ archive cannot be read"));
    }
    ZipPtr archive(zip_open_from_source(source, ZIP_RDONLY, &error));
    if (!archive) {
        // A zip is read from its end, where a cut-off file has no directory.
        QString reason = zip_error_code_zip(&error) == ZIP_ER_NOZIP
            ? QStringLiteral("it is cut short, or not a ZIP archive")
            : QString::fromUtf8(zip_error_strerror(&error));
        zip_error_fini(&error);
        zip_source_free(source);
        if (!reason.isEmpty())
            reason[0] = reason.at(0).toLower();
        return PlanReadResult::failure(QStringLiteral("the KMZ archive is damaged: %1").arg(reason));
    }
    zip_error_fini(&error);

    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    zip_int64_t chosen = -1;
    for (zip_int64_t i = 0; i < count; ++i) {
        const char *name = zip_get_name(archive.get(), zip_uint64_t(i), 0);
        if (!name)
            continue;
        const QString n = QString::fromUtf8(name);
        if (n.compare(u"doc.kml", Qt::CaseInsensitive) == 0) {
            chosen = i;
            break;
        }
        if (chosen < 0 && n.endsWith(u".kml", Qt::CaseInsensitive))
            chosen = i;
    }
    if (chosen < 0)
        return PlanReadResult::failure(QStringLiteral("the KMZ archive holds no KML document"));

    const QString tooLarge = QStringLiteral("the KMZ's document unpacks to more than %1 MB").arg(maxUnpacked / (1024 * 1024));
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive.get(), zip_uint64_t(chosen), 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE)
        && st.size > zip_uint64_t(maxUnpacked))
        return PlanReadResult::failure(tooLarge);
    zip_file_t *file = zip_fopen_index(archive.get(), zip_uint64_t(chosen), 0);
    if (!file)
        return PlanReadResult::failure(QStringLiteral("the KMZ's document cannot be unpacked"));
    QByteArray kml;
    char chunk[64 * 1024];
    bool damaged = false;
    for (;;) {
        const zip_int64_t n = zip_fread(file, chunk, sizeof chunk);
        if (n < 0) {
            damaged = true;
            break;
        }
        if (n == 0)
            break;
        if (kml.size() + n > maxUnpacked) {
            zip_fclose(file);
            return PlanReadResult::failure(tooLarge);
        }
        kml.append(chunk, qsizetype(n));
    }
    // zip_fclose reports a CRC mismatch of what was read.
    if (zip_fclose(file) != 0 || damaged)
        return PlanReadResult::failure(QStringLiteral("the KML document in the KMZ archive is damaged"));
    return readKml(kml);
}

QByteArray writeKmz(const MissionPlan &plan)
{
    const QByteArray kml = writeKml(plan);
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *target = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_error_fini(&error);
    if (!target)
        return {};
    zip_source_keep(target); // outlives the archive, which writes into it on close
    QByteArray out;
    zip_t *archive = zip_open_from_source(target, ZIP_TRUNCATE, nullptr);
    if (!archive)
        zip_source_free(target); // the reference the archive would have taken
    if (archive) {
        zip_source_t *doc = zip_source_buffer(archive, kml.constData(), zip_uint64_t(kml.size()), 0);
        const bool added = doc && zip_file_add(archive, "doc.kml", doc, ZIP_FL_ENC_UTF_8) >= 0;
        if (!added) {
            if (doc)
                zip_source_free(doc);
            zip_discard(archive);
        } else if (zip_close(archive) != 0) {
            zip_discard(archive);
        } else if (zip_source_open(target) == 0) {
            zip_stat_t st;
            zip_stat_init(&st);
            if (zip_source_stat(target, &st) == 0 && (st.valid & ZIP_STAT_SIZE)) {
                out.resize(qsizetype(st.size));
                if (zip_source_read(target, out.data(), st.size) != zip_int64_t(st.size))
                    out.clear();
            }
            zip_source_close(target);
        }
    }
    zip_source_free(target);
    return out;
}

} // namespace zeltrin::planio
