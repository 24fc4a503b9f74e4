#include "gui/frame/HelpFile.h"

#include <QFileInfo>

namespace orvik {

QString HelpFilePath(const QString& languageFile) {
    const qsizetype dot = languageFile.lastIndexOf('.');
    const qsizetype slash = languageFile.lastIndexOf('/');
    const QString base = dot > slash ? languageFile.left(dot) : languageFile;
    const QString chm = base + ".chm";
    if (QFileInfo::exists(chm))
        return chm;
    return base + ".html";
}

} // namespace orvik
