// Modal pop-ups. In test mode each one takes its answer from the script.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

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

int FileSelectPopup(const char *defaultDirectory, const char *defaultFileSpec,
                    const char *fileTypeList, const char *title, int buttonLabel,
                    int restrictDirectory, int restrictExtension, int allowCancel,
                    int allowMakeDirectory, char *path, std::size_t pathSize)
{
    (void)restrictDirectory;
    (void)allowCancel;
    if (!path || pathSize == 0)
        return RT_NO_FILE_SELECTED;
    path[0] = '\0';
    QString chosen;
    int result = RT_NO_FILE_SELECTED;
    const QString defaultPattern = QString::fromUtf8(defaultFileSpec ? defaultFileSpec : "*.*");
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
        QString dir = QString::fromUtf8(defaultDirectory ? defaultDirectory : "");
        if (dir.isEmpty())
            dir = QDir::currentPath();
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
        dlg.setOption(QFileDialog::DontUseNativeDialog);
        if (!allowMakeDirectory)
            dlg.setOption(QFileDialog::ReadOnly);
        const bool saving = buttonLabel == RT_SAVE_BUTTON;
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
    const QByteArray bytes = QFile::encodeName(chosen);
    if (std::size_t(bytes.size()) >= pathSize) {
        // A path that does not fit is never cut short, nor dropped unsaid.
        const std::string why = "The chosen path is " + std::to_string(bytes.size())
                                + " bytes long; at most " + std::to_string(pathSize - 1)
                                + " bytes can be used here. Choose a shorter path.";
        MessagePopup(title, why.c_str());
        return RT_NO_FILE_SELECTED;
    }
    std::memcpy(path, bytes.constData(), bytes.size());
    path[bytes.size()] = '\0';
    return result;
}

}  // namespace rt
