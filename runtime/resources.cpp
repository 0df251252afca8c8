// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the files a program loads at run time: panel resource files,
// pictures, the help document and the programs it starts. The build tree
// keeps them beside the executables; an installation keeps the programs in
// bin/ and the rest in share/veloran/.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "rt.h"
#include "test_hooks.h"

namespace rt {

namespace {

QString ProgramFolder()
{
    if (auto *hooks = detail::Hooks()) {
        const std::string dir = hooks->programDir();
        if (!dir.empty())
            return QString::fromStdString(dir);
    }
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

}  // namespace

std::vector<std::string> RunTimeFilePlaces()
{
    const QDir program(ProgramFolder());
    return {QDir::cleanPath(program.absolutePath()).toStdString(),
            QDir::cleanPath(program.absoluteFilePath(QStringLiteral("../share/veloran")))
                .toStdString()};
}

std::string FindRunTimeFile(const char *name)
{
    if (!name || !*name)
        return {};
    const QString n = QString::fromLocal8Bit(name);
    if (QFileInfo(n).isAbsolute())
        return QFileInfo(n).isFile() ? std::string(name) : std::string();
    for (const auto &place : RunTimeFilePlaces()) {
        const QFileInfo f(QDir(QString::fromStdString(place)).filePath(n));
        if (f.isFile())
            return f.absoluteFilePath().toLocal8Bit().toStdString();
    }
    return {};
}

std::string RunTimeFileMissing(const char *name)
{
    std::string text = std::string("Cannot find ") + (name ? name : "") + "; looked in";
    const char *sep = " ";
    for (const auto &place : RunTimeFilePlaces()) {
        text += sep + place;
        sep = " and ";
    }
    return text + ".";
}

}  // namespace rt
