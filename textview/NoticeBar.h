#pragma once

#include <QLabel>

// A line across the top of a text view that tells something about the text
// shown, in the colours of a tooltip; hidden while it has nothing to say.
class NoticeBar : public QLabel
{
    Q_OBJECT

public:
    explicit NoticeBar(QWidget *view);

    void say(const QString &text);
    // The height it takes from the top of the view.
    int heightInView() const { return isVisible() ? sizeHint().height() : 0; }
};
