#include "uAppIcon.h"

#include <QDirIterator>

namespace quorvex {

QIcon ApplicationIcon() {
    QIcon icon;
    QDirIterator it(QStringLiteral(":/icons"), {QStringLiteral("*.png")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        icon.addFile(it.next());
    return icon;
}

QString ApplicationId() {
    return QStringLiteral(QUORVEX_APP_ID);
}

} // namespace quorvex
