#include "GoToAddressBar.h"

#include "FileText.h"
#include "FileTextView.h"
#include "HexAddress.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

GoToAddressBar::GoToAddressBar(FileTextView *view)
    : QWidget(view)
    , m_view(view)
    , m_entry(new QLineEdit(this))
    , m_message(new QLabel(this))
{
    setObjectName(QStringLiteral("goToAddress"));
    auto *label = new QLabel(QStringLiteral("アドレス(16進)(&D):"), this);
    label->setBuddy(m_entry);
    m_entry->setAccessibleName(QStringLiteral("移動先のアドレス (16進数)"));
    m_entry->setPlaceholderText(QStringLiteral("例: 1A2F0"));
    m_entry->setMaxLength(64);
    auto *goButton = new QPushButton(QStringLiteral("移動"), this);
    auto *closeButton = new QPushButton(QStringLiteral("閉じる"), this);
    m_message->setTextFormat(Qt::PlainText);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->addWidget(label);
    layout->addWidget(m_entry, 1);
    layout->addWidget(goButton);
    layout->addWidget(m_message, 2);
    layout->addWidget(closeButton);
    connect(m_entry, &QLineEdit::returnPressed, this, &GoToAddressBar::go);
    connect(goButton, &QPushButton::clicked, this, &GoToAddressBar::go);
    connect(closeButton, &QPushButton::clicked, this, &GoToAddressBar::close);
    hide();
}

void GoToAddressBar::open()
{
    m_message->clear();
    show();
    m_entry->selectAll();
    m_entry->setFocus();
}

bool GoToAddressBar::go()
{
    const AddressEntry entry = parseAddress(m_entry->text(), m_view->fileText()->size());
    m_message->setText(entry.error);
    m_entry->setAccessibleDescription(entry.error);
    if (!entry.address)
        return false;
    const BytePosition at(*entry.address);
    m_view->setSelection(at, at);
    close();
    return true;
}

void GoToAddressBar::close()
{
    hide();
    m_view->setFocus();
}

QString GoToAddressBar::message() const
{
    return m_message->text();
}

void GoToAddressBar::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        QWidget::keyPressEvent(event);
}
