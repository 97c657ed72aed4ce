#include "app/filedialogs.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace pixpad {

QStringList qtNameFilters(const QString& filter)
{
    auto entry = [](const QString& description, const QString& patterns) {
        return description + QStringLiteral(" (") + patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' ')) + QLatin1Char(')');
    };
    const QStringList parts = filter.split(QLatin1Char('|'));
    if (parts.size() == 1)
        return {entry(filter, filter)};
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        out << entry(parts[i], parts[i + 1]);
    return out;
}

QString programFolder() { return QCoreApplication::applicationDirPath(); }

namespace {

std::unique_ptr<QFileDialog> makeDialog(QWidget* parent, const QString& title, const QString& filter)
{
    auto dlg = std::make_unique<QFileDialog>(parent, title, programFolder());
    // Qt's own dialog: the same on every desktop, and one a test can drive.
    // The lists show only the descriptions, so the Open entry reads exactly
    // as its filter string.
    dlg->setOption(QFileDialog::DontUseNativeDialog);
    dlg->setOption(QFileDialog::HideNameFilterDetails);
    dlg->setNameFilters(qtNameFilters(filter));
    dlg->selectFile(QString());
    return dlg;
}

} // namespace

std::unique_ptr<QFileDialog> makeOpenDialog(QWidget* parent)
{
    auto dlg = makeDialog(parent, kOpenTitle, kOpenFilter);
    dlg->setAcceptMode(QFileDialog::AcceptOpen);
    dlg->setFileMode(QFileDialog::ExistingFile);
    return dlg;
}

std::unique_ptr<QFileDialog> makeSaveDialog(QWidget* parent)
{
    auto dlg = makeDialog(parent, QString(), kSaveFilter);
    dlg->setAcceptMode(QFileDialog::AcceptSave);
    dlg->setFileMode(QFileDialog::AnyFile);
    // The dialog only sees the name as typed; the file written has ".bmp"
    // appended, so Save itself asks about that one.
    dlg->setOption(QFileDialog::DontConfirmOverwrite);
    return dlg;
}

static QString runDialog(QFileDialog& dlg)
{
    if (dlg.exec() != QDialog::Accepted)
        return QString();
    return dlg.selectedFiles().value(0);
}

QString runOpenDialog(QWidget* parent) { return runDialog(*makeOpenDialog(parent)); }

QString runSaveDialog(QWidget* parent) { return runDialog(*makeSaveDialog(parent)); }

bool askReplace(QWidget* parent, const QString& path)
{
    const auto answer = QMessageBox::question(
        parent, QStringLiteral("Save"),
        QObject::tr("%1 already exists.\nDo you want to replace it?").arg(QDir::toNativeSeparators(path)),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    return answer == QMessageBox::Yes;
}

std::optional<QColor> runColourDialog(QWidget* parent, const QColor& initial)
{
    QColorDialog dlg(initial, parent);
    dlg.setOption(QColorDialog::DontUseNativeDialog);
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    return dlg.currentColor();
}

} // namespace pixpad
