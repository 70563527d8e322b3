#include "ui/searchbox.h"

#include "frame/translation.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

SearchBox::SearchBox(const char *editName, const char *buttonName, const QString &placeholder,
                     QWidget *parent)
    : QWidget(parent)
    , m_edit(new QLineEdit(this))
    , m_button(new QPushButton(g_tr("IDS_SEARCH"), this))
    , m_note(new QLabel(this))
{
    m_edit->setObjectName(QLatin1String(editName));
    m_edit->setPlaceholderText(placeholder);
    m_edit->setClearButtonEnabled(true);
    m_button->setObjectName(QLatin1String(buttonName));
    m_note->setObjectName(QLatin1String(editName) + QStringLiteral("Note"));
    m_note->setTextFormat(Qt::PlainText);
    m_note->setForegroundRole(QPalette::PlaceholderText);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_edit, 1);
    row->addWidget(m_note);
    row->addWidget(m_button);
    connect(m_edit, &QLineEdit::returnPressed, this, &SearchBox::searchRequested);
    connect(m_button, &QPushButton::pressed, this, &SearchBox::searchRequested);
    connect(m_edit, &QLineEdit::textEdited, this, &SearchBox::keywordEdited);
}

QString SearchBox::keyword() const
{
    return m_edit->text().trimmed();
}

QString SearchBox::note() const
{
    return m_note->text();
}

void SearchBox::setNote(const QString &note)
{
    m_note->setText(note);
}

void SearchBox::focusForTyping()
{
    m_edit->setFocus(Qt::ShortcutFocusReason);
    m_edit->selectAll();
}
