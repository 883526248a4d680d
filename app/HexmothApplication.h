#pragma once

#include <QApplication>
#include <QTranslator>

// The application as the program starts it: its names and icon for the
// desktop, and Qt's own texts (dialog and message box buttons) in Japanese,
// whatever the system's language, as the whole program is Japanese.
// An event that cannot get the memory it needs fails alone; the program
// goes on.
class HexmothApplication : public QApplication
{
    Q_OBJECT
public:
    HexmothApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

private:
    void loadJapaneseTranslations();

    QTranslator m_qtTranslator;
};
