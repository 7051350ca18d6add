#pragma once
// The "General" and "Contents" pages of the file properties sheet, and the sheet around them.

#include <QDialog>
#include <QWidget>

#include "actions/FileProperties.h"

class QLineEdit;

namespace tallowmark {

// The five facts of an index file (and where in an image it lies, for one read from an
// image) as read-only texts the user can select and copy.
class FilePropertiesGeneral : public QWidget {
    Q_OBJECT
public:
    explicit FilePropertiesGeneral(const FilePropertiesFacts& facts, QWidget* parent = nullptr);

private:
    void AddRow(const std::string& label, const std::string& value, const std::string& name);
};

// A modal sheet with the pages "General" and "Contents" (the lines of
// ContainerFactsText, read-only and selectable), OK and Cancel. Nothing is written back
// whichever closes it.
class FilePropertiesSheet : public QDialog {
    Q_OBJECT
public:
    FilePropertiesSheet(const FilePropertiesFacts& facts, const std::string& contents, QWidget* parent);
};

}  // namespace tallowmark
