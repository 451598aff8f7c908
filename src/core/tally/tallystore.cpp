#include "tallystore.h"

#include "base/config.h"
#include "tallycodec.h"
#include "tallytext.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace velmora {

QString TallyStore::load(TallyTable &table) const
{
    removeStaleSaves(m_path);
    table.clear();
    QFile file(m_path);
    if (!file.exists())
        return {};
    QString error;
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Can't open %1").arg(m_path);
    } else {
        const QByteArray bytes = file.readAll();
        file.close();
        const TallyDecodeResult decoded = decompressTallyText(bytes, m_path);
        if (!decoded.ok()) {
            error = decoded.error;
        } else {
            const TallyTextResult text = readTallyText(decoded.text);
            table.loadtally(text.grid);
            error = text.error;
        }
    }
    if (error.isEmpty())
        return {};
    QFile::remove(badPath());
    const bool keptAside = QFile::rename(m_path, badPath());
    return keptAside ? QStringLiteral("%1. The unreadable tally file was kept as %2")
                           .arg(error, QFileInfo(badPath()).fileName())
                     : error;
}

bool TallyStore::save(const TallyTable &table) const
{
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(compressTallyText(writeTallyText(table.grid())));
    return file.commit();
}

} // namespace velmora
