// SPDX-License-Identifier: GPL-3.0-or-later
// Modal pop-ups. In test mode each one takes its answer from the script.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

#include <algorithm>

#include <cstring>
#include <string>

#include "internal.h"
#include "test_hooks.h"

namespace rt {

namespace {

// Records the pop-up and gives its scripted answer; false (a failure is
// reported then) when the script has none.
bool ScriptedAnswer(detail::TestHooks *t, const char *kind, const char *title, const char *text,
                    detail::PopupAnswer *out)
{
    return t->answerPopup(kind, title ? title : "", text ? text : "", out);
}

QWidget *ActiveParent()
{
    return QApplication::activeWindow();
}

}  // namespace

int MessagePopup(const char *title, const char *message)
{
    if (auto *t = detail::Hooks()) {
        detail::PopupAnswer a;
        ScriptedAnswer(t, "message", title, message, &a);
        return 0;
    }
    detail::ModalScope modal;
    QMessageBox box(QMessageBox::Information, QString::fromUtf8(title), QString::fromUtf8(message),
                    QMessageBox::Ok, ActiveParent());
    box.exec();
    return 0;
}

int ConfirmPopup(const char *title, const char *message)
{
    if (auto *t = detail::Hooks()) {
        detail::PopupAnswer a;
        return ScriptedAnswer(t, "confirm", title, message, &a) ? (a.value ? 1 : 0) : 0;
    }
    detail::ModalScope modal;
    QMessageBox box(QMessageBox::Question, QString::fromUtf8(title), QString::fromUtf8(message),
                    QMessageBox::Yes | QMessageBox::No, ActiveParent());
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes ? 1 : 0;
}

namespace {

std::string SettingsProgram()
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? std::string("veloran") : name.toStdString();
}

std::string FolderKey(const char *title)
{
    return std::string("folders/") + (title && *title ? title : "file");
}

// The folder a dialogue opens in: the one asked for, else the folder last
// used in a dialogue of this title, else the current one.
QString StartFolder(const char *defaultDirectory, const char *title)
{
    QString dir = QString::fromUtf8(defaultDirectory ? defaultDirectory : "");
    if (dir.isEmpty()) {
        const QString last = QString::fromStdString(
            GetUserSettingText(SettingsProgram().c_str(), FolderKey(title).c_str(), ""));
        if (!last.isEmpty() && QFileInfo(last).isDir())
            dir = last;
    }
    if (dir.isEmpty())
        dir = QDir::currentPath();
    if (auto *t = detail::Hooks())
        t->fileDialogFolder(dir.toStdString());
    return dir;
}

void KeepFolder(const char *title, const QString &chosen)
{
    const QString dir = QFileInfo(chosen).absolutePath();
    SetUserSettingText(SettingsProgram().c_str(), FolderKey(title).c_str(),
                       dir.toUtf8().constData());
}

// The desktop's own dialogue (a native one, or the portal's) where it can
// keep what the caller asked: a portal asks before replacing a file, so a
// save dialogue that must not ask keeps Qt's own there.
bool UseDesktopDialog(bool saveWithoutQuestion)
{
    if (!saveWithoutQuestion)
        return true;
    const QByteArray theme = qgetenv("QT_QPA_PLATFORMTHEME").toLower();
    const bool portal = theme.contains("portal") || theme.contains("flatpak")
                        || qEnvironmentVariableIsSet("FLATPAK_ID")
                        || qEnvironmentVariableIsSet("SNAP");
    return !portal;
}

bool CopyPath(const QString &chosen, char *path, std::size_t pathSize, const char *title)
{
    const QByteArray bytes = QFile::encodeName(chosen);
    if (std::size_t(bytes.size()) >= pathSize) {
        // A path that does not fit is never cut short, nor dropped unsaid.
        const std::string why = "The chosen path is " + std::to_string(bytes.size())
                                + " bytes long; at most " + std::to_string(pathSize - 1)
                                + " bytes can be used here. Choose a shorter path.";
        MessagePopup(title, why.c_str());
        return false;
    }
    std::memcpy(path, bytes.constData(), bytes.size());
    path[bytes.size()] = '\0';
    return true;
}

}  // namespace

int FileSelectPopup(const char *defaultDirectory, const char *defaultFileSpec,
                    const char *fileTypeList, const char *title, int buttonLabel,
                    int restrictDirectory, int restrictExtension, int allowCancel,
                    int allowMakeDirectory, char *path, std::size_t pathSize)
{
    (void)allowCancel;
    if (!path || pathSize == 0)
        return RT_NO_FILE_SELECTED;
    path[0] = '\0';
    QString chosen;
    int result = RT_NO_FILE_SELECTED;
    const QString defaultPattern = QString::fromUtf8(defaultFileSpec ? defaultFileSpec : "*.*");
    const QString dir = StartFolder(defaultDirectory, title);
    if (auto *t = detail::Hooks()) {
        detail::PopupAnswer a;
        if (!ScriptedAnswer(t, "file", title, "", &a) || a.path.empty())
            return RT_NO_FILE_SELECTED;
        chosen = QString::fromStdString(a.path);
        result = a.value >= 0 ? a.value : -1;
        if (result == RT_NO_FILE_SELECTED)
            return result;
    } else {
        detail::ModalScope modal;
        QStringList filters;
        const QString types = QString::fromUtf8(fileTypeList ? fileTypeList : "");
        for (const QString &t : types.split(QLatin1Char(';'), Qt::SkipEmptyParts))
            filters << QStringLiteral("%1 (%1)").arg(t.trimmed());
        if (!filters.contains(QStringLiteral("%1 (%1)").arg(defaultPattern))
            && defaultPattern != QLatin1String("*.*"))
            filters.prepend(QStringLiteral("%1 (%1)").arg(defaultPattern));
        filters << QStringLiteral("All files (*)");
        QFileDialog dlg(ActiveParent(), QString::fromUtf8(title), dir);
        dlg.setNameFilters(filters);
        const bool saving = buttonLabel == RT_SAVE_BUTTON;
        // The desktop's dialogue can neither forbid new folders nor keep to
        // one folder: Qt's own does that.
        if (!allowMakeDirectory || restrictDirectory || !UseDesktopDialog(saving))
            dlg.setOption(QFileDialog::DontUseNativeDialog);
        if (!allowMakeDirectory)
            dlg.setOption(QFileDialog::ReadOnly);
        dlg.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dlg.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        if (saving) {
            dlg.setOption(QFileDialog::DontConfirmOverwrite);
            const QString ext = QFileInfo(defaultPattern).suffix();
            if (!ext.isEmpty() && ext != QLatin1String("*"))
                dlg.setDefaultSuffix(ext);
        }
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
            return RT_NO_FILE_SELECTED;
        chosen = dlg.selectedFiles().first();
        result = -1;
    }
    if (restrictExtension) {
        // The chosen name keeps the extension of the default file pattern.
        const QString ext = QFileInfo(defaultPattern).suffix();
        if (!ext.isEmpty() && ext != QLatin1String("*") && QFileInfo(chosen).suffix() != ext)
            chosen += QLatin1Char('.') + ext;
    }
    // Existing or new: said of the path handed back, extension included.
    if (result < 0)
        result = QFileInfo(chosen).isFile() ? RT_EXISTING_FILE_SELECTED : RT_NEW_FILE_SELECTED;
    if (!CopyPath(chosen, path, pathSize, title))
        return RT_NO_FILE_SELECTED;
    KeepFolder(title, chosen);
    return result;
}

namespace {

// "PNG picture (*.png)" -> "png".
QString TypeExtension(const QString &type)
{
    const qsizetype star = type.indexOf(QLatin1String("*."));
    if (star < 0)
        return {};
    QString ext = type.mid(star + 2);
    const qsizetype end = ext.indexOf(QRegularExpression(QStringLiteral("[ );]")));
    return end < 0 ? ext : ext.left(end);
}

}  // namespace

int SaveFileTypePopup(const char *title, const char *suggestedName, const char *typeList,
                      int *typeIndex, char *path, std::size_t pathSize)
{
    if (!path || pathSize == 0)
        return RT_NO_FILE_SELECTED;
    path[0] = '\0';
    const QStringList types =
        QString::fromUtf8(typeList ? typeList : "").split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList exts;
    for (const QString &t : types)
        exts << TypeExtension(t);
    const QString suggested = QString::fromUtf8(suggestedName ? suggestedName : "");
    QString dir = StartFolder("", title);
    int type = typeIndex && *typeIndex >= 0 && *typeIndex < types.size() ? *typeIndex : 0;
    for (;;) {
        QString chosen;
        if (auto *t = detail::Hooks()) {
            detail::PopupAnswer a;
            if (!ScriptedAnswer(t, "file", title, suggested.toStdString().c_str(), &a)
                || a.path.empty())
                return RT_NO_FILE_SELECTED;
            chosen = QString::fromStdString(a.path);
            if (a.typeIndex >= 0 && a.typeIndex < types.size()) {
                type = a.typeIndex;
            } else {
                const qsizetype known = exts.indexOf(QFileInfo(chosen).suffix().toLower());
                type = known >= 0 ? int(known) : 0;
            }
        } else {
            detail::ModalScope modal;
            QFileDialog dlg(ActiveParent(), QString::fromUtf8(title), dir);
            dlg.setAcceptMode(QFileDialog::AcceptSave);
            dlg.setFileMode(QFileDialog::AnyFile);
            // The question comes below, once the name has its extension.
            dlg.setOption(QFileDialog::DontConfirmOverwrite);
            if (!UseDesktopDialog(true))
                dlg.setOption(QFileDialog::DontUseNativeDialog);
            dlg.setNameFilters(types);
            if (type < types.size())
                dlg.selectNameFilter(types[type]);
            if (!suggested.isEmpty())
                dlg.selectFile(suggested);
            if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
                return RT_NO_FILE_SELECTED;
            chosen = dlg.selectedFiles().first();
            type = std::max(0, int(types.indexOf(dlg.selectedNameFilter())));
        }
        // The type chosen decides the extension of a name that has none.
        if (QFileInfo(chosen).suffix().isEmpty() && type < exts.size() && !exts[type].isEmpty())
            chosen += QLatin1Char('.') + exts[type];
        else {
            const qsizetype known = exts.indexOf(QFileInfo(chosen).suffix().toLower());
            if (known >= 0)
                type = int(known);
        }
        dir = QFileInfo(chosen).absolutePath();
        if (QFileInfo::exists(chosen)) {
            const QString q = QStringLiteral("%1 already exists. Do you want to replace it?")
                                  .arg(QFileInfo(chosen).fileName());
            if (ConfirmPopup(title, q.toUtf8().constData()) != 1)
                continue;  // back to the dialogue for another name
        }
        if (!CopyPath(chosen, path, pathSize, title))
            return RT_NO_FILE_SELECTED;
        KeepFolder(title, chosen);
        if (typeIndex)
            *typeIndex = type;
        return QFileInfo(chosen).isFile() ? RT_EXISTING_FILE_SELECTED : RT_NEW_FILE_SELECTED;
    }
}

}  // namespace rt
