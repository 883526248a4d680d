#pragma once

#include <QWidget>

class FileTextView;
class QLabel;
class QLineEdit;

// A bar across the bottom of a view that asks for a hex address
// (parseAddress) and puts the view's caret on the character that holds
// that byte, scrolled into view. An address it cannot go to leaves the
// caret where it is and says why in the bar. Enter goes, Esc closes; both
// give the focus back to the text.
class GoToAddressBar : public QWidget
{
    Q_OBJECT

public:
    explicit GoToAddressBar(FileTextView *view);

    // Shows the bar with the focus in its entry, its text selected.
    void open();
    // The caret moved when true; else the bar shows the reason.
    bool go();
    void close();

    QString message() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    FileTextView *m_view;
    QLineEdit *m_entry;
    QLabel *m_message;
};
