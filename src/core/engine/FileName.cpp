#include "engine/FileName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace filename {

bool decodesExactly(QByteArrayView nativeName)
{
    const QByteArray bytes = nativeName.toByteArray();
    return QFile::encodeName(QFile::decodeName(bytes)) == bytes;
}

bool isExact(const QString &path)
{
#ifdef Q_OS_WIN
    Q_UNUSED(path);
    return true;    // the system's names are UTF-16 text already
#else
    if (!path.contains(QChar::ReplacementCharacter))
        return true;
    namespace fs = std::filesystem;
    const QStringList parts = QFileInfo(path).absoluteFilePath().split(u'/', Qt::SkipEmptyParts);
    QString folder = QStringLiteral("/");
    for (const QString &part : parts) {
        if (part.contains(QChar::ReplacementCharacter)) {
            const QByteArray name = QFile::encodeName(part);
            std::error_code ec;
            const QByteArray folderName = QFile::encodeName(folder);
            fs::directory_iterator entries(fs::path(folderName.toStdString()), ec);
            // A folder that cannot be listed showed no names in a dialog either.
            for (; !ec && entries != fs::directory_iterator(); entries.increment(ec)) {
                const std::string native = entries->path().filename().native();
                const QByteArray entry(native.data(), qsizetype(native.size()));
                if (entry != name && QFile::decodeName(entry) == part)
                    return false;
            }
        }
        folder = QDir(folder).filePath(part);
    }
    return true;
#endif
}

QString shown(QByteArrayView nativeName)
{
    QString text;
    qsizetype i = 0;
    while (i < nativeName.size()) {
        const auto lead = static_cast<unsigned char>(nativeName[i]);
        const qsizetype length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        const QByteArrayView piece = nativeName.sliced(i, std::min(length, nativeName.size() - i));
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = decoder(piece);
        if ((lead >= 0x80 && lead < 0xC2) || decoder.hasError() || decoded.isEmpty()) {
            text += QStringLiteral("\\x%1").arg(int(lead), 2, 16, QLatin1Char('0'));
            ++i;
        } else {
            text += decoded;
            i += piece.size();
        }
    }
    return text;
}

} // namespace filename
