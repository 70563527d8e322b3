#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

// A search line: the keyword box with its placeholder, the search button, and a quiet note
// beside them ("3 of 17", "No match") instead of a message box.
class SearchBox : public QWidget
{
    Q_OBJECT
public:
    // editName and buttonName name the box and the button (their object names).
    SearchBox(const char *editName, const char *buttonName, const QString &placeholder,
              QWidget *parent = nullptr);

    QString keyword() const;
    QLineEdit *edit() const { return m_edit; }
    QString note() const;
    void setNote(const QString &note);
    // Puts the cursor in the box with its text selected, ready to type over.
    void focusForTyping();

Q_SIGNALS:
    // Return in the box or the button.
    void searchRequested();
    // The keyword was changed by typing.
    void keywordEdited(const QString &keyword);

private:
    QLineEdit *m_edit;
    QPushButton *m_button;
    QLabel *m_note;
};
