#pragma once

#include "FindRun.h"

#include <QWidget>

class FileTextView;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QShortcut;

// The find bar across the bottom of a FileTextView, hidden until the
// view's Find command opens it: one line of input and what it holds (text,
// hex bytes, or none for the next invalid byte or platform-dependent
// character). Enter or F3 finds the next match after the caret, Shift+Enter
// or Shift+F3 the previous one, around the text's ends with a notice; a
// match becomes the view's selection, scrolled into view. Esc ends a search
// under way, or else closes the bar and gives the focus back to the view.
// A long search runs in slices (FindRun) and shows its progress.
class FindBar : public QWidget
{
    Q_OBJECT

public:
    // Placed in `view` with FileTextView::addBottomBar.
    explicit FindBar(FileTextView *view);

    // While not available (the text is being replaced), a search under way
    // ends, the bar closes and the find command and F3 do nothing.
    void setAvailable(bool available);
    // What the bar says: a match's notice, 「見つかりません」, an error, the progress.
    QString status() const;
    bool isSearching() const { return m_run->isRunning(); }

public slots:
    void open();
    void findNext() { find(FindRun::Direction::Forward); }
    void findPrevious() { find(FindRun::Direction::Backward); }
    // Ends a search under way, or else closes the bar.
    void escape();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void createControls();
    void connectControls();
    void find(FindRun::Direction direction);
    void showFound(const FindMatch &match, bool wrapped);
    void say(const QString &text);
    void showProgress(int percent);
    void kindChanged();

    FileTextView *m_view;
    QComboBox *m_kind;
    QLineEdit *m_input;
    QLabel *m_status;
    // Moves without changing the bar's size: a new size would lay out the
    // view and paint its text again at every slice.
    QProgressBar *m_progress;
    FindRun *m_run;
    FindRun::Direction m_direction = FindRun::Direction::Forward;
    const FileText *m_searched = nullptr; // the text of the last search
    QShortcut *m_next;
    QShortcut *m_previous;
    QShortcut *m_escape;
};
