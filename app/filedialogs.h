#pragma once
// The Open, Save and colour dialogs of the image window. The filters are kept
// in the "description|patterns" form the program has always used and turned
// into Qt's form here; the dialogs are Qt's own (not the desktop's), so tests
// can inspect them.
#include <memory>
#include <optional>

#include <QColor>
#include <QString>
#include <QStringList>

class QFileDialog;
class QWidget;

namespace pixpad {

inline const QString kOpenTitle = QStringLiteral("Open Image");
// One entry with no bar: the whole string is both what the list shows and
// its patterns. It holds "*", so every file is listed.
inline const QString kOpenFilter = QStringLiteral("*.bmp;*.gif;*;jpg");
inline const QString kSaveFilter = QStringLiteral("BMP |*.bmp");
// Appended to whatever name Save is given, even one that already ends in it.
inline const QString kSaveExtension = QStringLiteral(".bmp");

// "desc|p1;p2|desc2|p3" -> {"desc (p1 p2)", "desc2 (p3)"}; a string without a
// bar is one entry whose description is the string itself.
QStringList qtNameFilters(const QString& filter);

// The folder the program lives in: where Open and Save start.
QString programFolder();

std::unique_ptr<QFileDialog> makeOpenDialog(QWidget* parent);
std::unique_ptr<QFileDialog> makeSaveDialog(QWidget* parent);

// Modal; "" when cancelled.
QString runOpenDialog(QWidget* parent);
QString runSaveDialog(QWidget* parent);
bool askReplace(QWidget* parent, const QString& path);
std::optional<QColor> runColourDialog(QWidget* parent, const QColor& initial);

} // namespace pixpad
