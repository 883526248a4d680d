#pragma once

#include <QLabel>

class FileTextView;

// A read-only line across the bottom of a view that tells what its caret
// or its selection holds (CharacterDescriber), redrawn as they move and
// when the file is found changed; led by the text's encoding when it is not
// code page 932. A label: screen readers read it as its
// text, and it takes no focus from the text.
class CaretInfoLine : public QLabel
{
    Q_OBJECT

public:
    explicit CaretInfoLine(FileTextView *view);

private:
    void refresh();

    FileTextView *m_view;
};
