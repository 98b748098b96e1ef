#pragma once

#include <QDialog>

#include <string>

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace velbrin {

// What a row of the MIME grid holds: the type as bytes, its class name, the
// extension of its stored files and whether they are captured.
struct TMimeRowValues {
    std::string MimeType;
    std::string TypeName; // one of kMimeClassNames
    std::string Extension;
    bool Capture = false;
};

// "Create/Change  MIME-Type": one MIME type of the Web's table. OK is refused
// (with the warning "You have to specifiy a capture type") while "Capture" is
// chosen and the extension is empty, and is disabled while the type name is
// empty.
class TNewMimeDlg : public QDialog {
public:
    explicit TNewMimeDlg(QWidget* parent = nullptr);

    // An unknown type name shows "Other".
    void SetValues(const TMimeRowValues& values);
    // The type name as typed (bytes, blanks around it removed), the extension
    // without blanks. A field left as SetValues filled it gives back the
    // bytes it was given, whatever their encoding.
    TMimeRowValues Values() const;

    void accept() override;

private:
    void UpdateOk();
    std::string FieldBytes(const QLineEdit* field, const std::string& given) const;

    QLineEdit* m_type;
    QLineEdit* m_extension;
    QComboBox* m_class;
    QRadioButton* m_capture;
    QRadioButton* m_noCapture;
    QPushButton* m_ok;
    TMimeRowValues m_given;
};

} // namespace velbrin
