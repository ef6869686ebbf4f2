#include "platform/sheets/ZipParts.h"

#include "platform/sheets/SheetCells.h"

#include <zip.h>

namespace {

QString libzipError(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

} // namespace

ZipParts::ZipParts(const QByteArray &bytes)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source = zip_source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, &error);
    if (source)
        m_archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!m_archive) {
        const int code = zip_error_code_zip(&error);
        zip_error_fini(&error);
        if (source)
            zip_source_free(source);
        if (code == ZIP_ER_NOZIP)
            throw SheetRefusal{QStringLiteral("It is damaged or cut short: its table of contents is missing.")};
        throw SheetRefusal{QStringLiteral("It is damaged (%1).").arg(libzipError(code))};
    }
    zip_error_fini(&error);
}

ZipParts::~ZipParts()
{
    if (m_archive)
        zip_discard(m_archive);
}

bool ZipParts::has(const QString &name) const
{
    return zip_name_locate(m_archive, name.toUtf8().constData(), ZIP_FL_NOCASE) >= 0;
}

QByteArray ZipParts::read(const QString &name) const
{
    const zip_int64_t index = zip_name_locate(m_archive, name.toUtf8().constData(), ZIP_FL_NOCASE);
    if (index < 0)
        throw SheetRefusal{QStringLiteral("It is damaged: its part %1 is missing.").arg(name)};
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_archive, zip_uint64_t(index), 0, &stat) != 0)
        throw SheetRefusal{QStringLiteral("It is damaged: its part %1 cannot be read.").arg(name)};
    if (stat.encryption_method != ZIP_EM_NONE)
        throw SheetRefusal{QStringLiteral("It is protected by a password.")};
    auto tooLarge = [&](zip_uint64_t size) {
        return size > zip_uint64_t(MaxPartBytes) ||
               (size > zip_uint64_t(RatioFloorBytes) && size / MaxRatio > stat.comp_size);
    };
    auto refuseSize = [&] {
        throw SheetRefusal{QStringLiteral("Its part %1 is too large to be a spreadsheet's (more than 64 MB, or "
                                          "compressed more than 100 to 1).")
                               .arg(name)};
    };
    if (tooLarge(stat.size))
        refuseSize();
    zip_file_t *file = zip_fopen_index(m_archive, zip_uint64_t(index), 0);
    if (!file) {
        const int code = zip_error_code_zip(zip_get_error(m_archive));
        if (code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD)
            throw SheetRefusal{QStringLiteral("It is protected by a password.")};
        throw SheetRefusal{
            QStringLiteral("It is damaged: its part %1 cannot be read (%2).").arg(name, libzipError(code))};
    }
    // The size in the directory is the writer's word; what inflates is held to the same bounds.
    QByteArray part;
    part.reserve(qsizetype(stat.size));
    char buffer[65536];
    zip_int64_t got = 0;
    while ((got = zip_fread(file, buffer, sizeof buffer)) > 0) {
        part.append(buffer, qsizetype(got));
        if (tooLarge(zip_uint64_t(part.size()))) {
            zip_fclose(file);
            refuseSize();
        }
    }
    const int code = got < 0 ? zip_error_code_zip(zip_file_get_error(file)) : ZIP_ER_OK;
    zip_fclose(file);
    if (code == ZIP_ER_CRC)
        throw SheetRefusal{QStringLiteral("It is damaged: its part %1 does not match its checksum.").arg(name)};
    if (code != ZIP_ER_OK)
        throw SheetRefusal{
            QStringLiteral("It is damaged: its part %1 cannot be read (%2).").arg(name, libzipError(code))};
    if (zip_uint64_t(part.size()) != stat.size)
        throw SheetRefusal{QStringLiteral("It is damaged: its part %1 is cut short.").arg(name)};
    return part;
}
