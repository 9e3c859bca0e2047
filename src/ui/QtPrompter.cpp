#include "QtPrompter.h"

#include "WarningList.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QInputDialog>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>

namespace zq::ui {
namespace {

QWidget* dialogParent()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

// The file dialog's list as the program speaks: the kind of an entry in Chinese ("文件夹", "CSV 文件") where
// Qt's translation leaves it in English, sizes and dates in the program's locale rather than the system's.
class FileColumnsInChinese : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || !index.isValid())
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        const QFileInfo info = files->fileInfo(source);
        switch (index.column()) {
        case 1:
            // whole kilobytes, rounded up, as file lists commonly show them
            return info.isFile() ? QLocale().toString((info.size() + 1023) / 1024) + QStringLiteral(" KB")
                                 : QString();
        case 2:
            if (info.isDir())
                return info.isRoot() ? QStringLiteral("驱动器") : QStringLiteral("文件夹");
            return info.suffix().isEmpty() ? QStringLiteral("文件")
                                           : info.suffix().toUpper() + QStringLiteral(" 文件");
        case 3:
            return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
        default:
            return QIdentityProxyModel::data(index, role);
        }
    }
};

// Messages use CR LF for a line break, as they have always been written; a label wants LF.
QString shown(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return t;
}

QMessageBox::Icon boxIcon(Prompter::Icon icon)
{
    switch (icon) {
    case Prompter::Icon::Information:
        return QMessageBox::Information;
    case Prompter::Icon::Exclamation:
        return QMessageBox::Warning;
    case Prompter::Icon::Critical:
        return QMessageBox::Critical;
    case Prompter::Icon::Question:
        return QMessageBox::Question;
    case Prompter::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

Prompter::Answer QtPrompter::message(const QString& title, const QString& text, Icon icon, Buttons buttons)
{
    QMessageBox box(boxIcon(icon), title, shown(text), QMessageBox::NoButton, dialogParent());
    box.setTextFormat(Qt::PlainText);
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    QPushButton* yes = nullptr;
    QPushButton* no = nullptr;
    switch (buttons) {
    case Buttons::Ok:
        ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
        box.setEscapeButton(ok);
        break;
    case Buttons::OkCancel:
        ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
        cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
        box.setEscapeButton(cancel);
        break;
    case Buttons::YesNo:
        yes = box.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
        no = box.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
        box.setEscapeButton(no);
        break;
    case Buttons::YesNoCancel:
        yes = box.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
        no = box.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
        cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
        box.setEscapeButton(cancel);
        break;
    }
    box.setDefaultButton(ok ? ok : yes);
    box.exec();
    const QAbstractButton* pressed = box.clickedButton();
    if (pressed && pressed == ok)
        return Answer::Ok;
    if (pressed && pressed == yes)
        return Answer::Yes;
    if (pressed && pressed == no)
        return Answer::No;
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
}

std::optional<QString> QtPrompter::input(const QString& title, const QString& prompt,
                                         const QString& defaultText)
{
    QInputDialog dialog(dialogParent());
    dialog.setWindowTitle(title);
    dialog.setLabelText(shown(prompt));
    dialog.setTextValue(defaultText);
    dialog.setOkButtonText(QStringLiteral("确定"));
    dialog.setCancelButtonText(QStringLiteral("取消"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

std::optional<QString> QtPrompter::saveFileName(const QString& title, const QString& proposedPath,
                                                const QString& filter)
{
    // The caller asks about overwriting itself; the dialog adds ".CSV" when the user types a bare name.
    QFileDialog dialog(dialogParent(), title, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The system's own dialog would speak the system's language; this one speaks the program's.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new FileColumnsInChinese(&dialog));
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(QFileInfo(proposedPath).suffix());
    dialog.selectFile(proposedPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> QtPrompter::openFileName(const QString& title, const QString& folder,
                                                const QString& filter)
{
    QFileDialog dialog(dialogParent(), title, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new FileColumnsInChinese(&dialog));
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

Prompter::Answer QtPrompter::warnings(const QString& action, const Warnings& list)
{
    return WarningList::askGoOn(action, list, dialogParent()) ? Answer::Yes : Answer::No;
}

} // namespace zq::ui
