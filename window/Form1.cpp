#include "Form1.h"

#include "AppIcon.h"
#include "DroppedFiles.h"
#include "FileText.h"
#include "FileTextView.h"
#include "FindBar.h"
#include "JapaneseFonts.h"
#include "StatusLabel.h"
#include "Twips.h"
#include "WidgetDialogService.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>

namespace {

// A byte count as Japanese readers write it: 1,234,567.
template<typename Control>
Control *named(Control *control, const QString &name)
{
    control->setObjectName(name);
    return control;
}

template<class Label = QLabel>
Label *createLabel(QWidget *parent, const QString &name, const QString &caption)
{
    auto *label = named(new Label(parent), name);
    label->setText(caption);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// Screen readers announce Form1 as a window, as they do dialogs and main
// windows, rather than as a plain pane.
QAccessibleInterface *accessibleForm(const QString &className, QObject *object)
{
    if (className != QLatin1String("Form1") || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
}

} // namespace

Form1::Form1(std::unique_ptr<DialogService> dialogs, QWidget *parent, qint64 blockLength)
    : QWidget(parent)
    , m_dialogs(dialogs ? std::move(dialogs) : std::make_unique<WidgetDialogService>())
    , m_engine(*this, nullptr, blockLength)
{
    static const bool accessibleFormInstalled = (QAccessible::installFactory(accessibleForm), true);
    Q_UNUSED(accessibleFormInstalled);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Hexmoth"));
    setWindowIcon(AppIcon::icon());
    setFont(JapaneseFonts::windowFont());
    createControls();
    placeControls();
    orderTabs();
    connectControls();
    createActions();
    setAcceptDrops(true);
}

Form1::~Form1() = default;

void Form1::createControls()
{
    Command1 = named(new QPushButton(QStringLiteral("ファイルを開く"), this), QStringLiteral("Command1"));
    Text1 = createTextBox(QStringLiteral("Text1"), QStringLiteral("ダンプリスト"));
    Text1->setFont(JapaneseFonts::dumpFont());
    Text2 = createFileTextBox();
    m_findBar = new FindBar(Text2);
    Label1 = createLabel<StatusLabel>(this, QStringLiteral("Label1"), QString());
    Label1->setAccessibleDescription(QStringLiteral("実行状態"));
    createFrameControls();
    Command2 = named(new QPushButton(QStringLiteral("停止"), this), QStringLiteral("Command2"));
    Command2->setEnabled(false);
    // Enter presses a focused button, as Space does, though this is no dialog.
    Command1->setAutoDefault(true);
    Command2->setAutoDefault(true);
}

void Form1::createFrameControls()
{
    Frame1 = named(new QGroupBox(this), QStringLiteral("Frame1"));
    Label2 = createLabel(Frame1, QStringLiteral("Label2"), QStringLiteral("ダンプリストの文字数が65,531を超える場合"));
    Frame1->setAccessibleName(Label2->text());
    Option1 = named(new QRadioButton(QStringLiteral("前を削除"), Frame1), QStringLiteral("Option1"));
    Option2 = named(new QRadioButton(QStringLiteral("後を削除"), Frame1), QStringLiteral("Option2"));
    Option1->setChecked(true);
}

QPlainTextEdit *Form1::createTextBox(const QString &name, const QString &accessibleName)
{
    auto *box = named(new QPlainTextEdit(this), name);
    box->setReadOnly(true);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setTabChangesFocus(true);
    box->setAccessibleName(accessibleName);
    // A file dropped on the box goes to the window.
    box->setAcceptDrops(false);
    box->viewport()->setAcceptDrops(false);
    return box;
}

FileTextView *Form1::createFileTextBox()
{
    auto *box = named(new FileTextView(this), QStringLiteral("Text2"));
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setAccessibleName(QStringLiteral("ファイルのテキスト"));
    return box;
}

void Form1::placeControls()
{
    resize(Twips::toPixels(11205), Twips::toPixels(6600));
    setMinimumSize(size());
    Command1->setGeometry(Twips::rect(7920, 120, 1455, 375));
    Text1->setGeometry(Twips::rect(0, 0, 7575, 3375));
    Text2->setGeometry(Twips::rect(0, 3360, 7575, 2895));
    // Wider than the column so that counts of large files stay whole.
    Label1->setGeometry(Twips::rect(7920, 720, 3165, 375));
    Frame1->setGeometry(Twips::rect(7800, 1440, 2175, 1575));
    Label2->setGeometry(Twips::rect(120, 240, 1935, 375));
    Option1->setGeometry(Twips::rect(120, 720, 1095, 375));
    Option2->setGeometry(Twips::rect(120, 1080, 1095, 375));
    Command2->setGeometry(Twips::rect(7920, 1200, 1335, 255));
}

void Form1::orderTabs()
{
    QWidget *const order[] = {Command1, Text1, Text2, Option1, Option2, Command2};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    Command1->setFocus();
}

void Form1::connectControls()
{
    connect(Command1, &QPushButton::clicked, this, &Form1::runDump);
    connect(Command2, &QPushButton::clicked, this, [this] { m_engine.StopDump(); });
    connect(Option1, &QRadioButton::clicked, this, [this] { m_engine.ShowDumpList(); });
    connect(Option2, &QRadioButton::clicked, this, [this] { m_engine.ShowDumpList(); });
    connect(Text2, &FileTextView::fileChanged, this, &Form1::tellFileChanged);
    connect(Text2, &FileTextView::copyCut, this, &Form1::tellCopyCut);
    connect(Text2, &FileTextView::encodingChanged, this, [this] {
        m_hint.reset();
        showNotices();
    });
}

void Form1::createActions()
{
    auto *open = new QShortcut(QKeySequence::Open, this);
    connect(open, &QShortcut::activated, this, &Form1::runDump);
    m_reload = new QAction(QStringLiteral("再読み込み"), this);
    m_reload->setObjectName(QStringLiteral("reload"));
    m_reload->setShortcut(QKeySequence(Qt::Key_F5));
    m_reload->setShortcutContext(Qt::WindowShortcut);
    m_reload->setEnabled(false);
    connect(m_reload, &QAction::triggered, this, [this] { runWith([this] { m_engine.DumpAgain(); }); });
    Text2->addAction(m_reload);
    m_hintOffer = new QAction(this);
    connect(m_hintOffer, &QAction::triggered, this, [this] {
        if (m_hint && !m_engine.isRunning())
            Text2->setTextEncoding(*m_hint);
    });
}

void Form1::runDump()
{
    runWith([this] { m_engine.RunDump(); });
}

void Form1::openFile(const QString &path)
{
    runWith([this, &path] { m_engine.DumpFile(path); });
}

void Form1::runWith(const std::function<void()> &run)
{
    setTextQueriesAvailable(false);
    run();
    setTextQueriesAvailable(!m_engine.isRunning());
    if (m_closeAfterRun && !m_engine.isRunning())
        close();
}

// The text shown is replaced at a run's end: no find or go to until then.
void Form1::setTextQueriesAvailable(bool available)
{
    m_findBar->setAvailable(available);
    Text2->command(FileTextView::Command::GoToAddress)->setEnabled(available);
    Text2->setEncodingChoiceAvailable(available);
}

void Form1::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

// During a run a drop does what a click on Command1 does then: nothing.
// Else the drop ends before the run starts or the message shows, so that
// the program the file came from is not kept waiting for its answer.
void Form1::dropEvent(QDropEvent *event)
{
    if (!event->mimeData()->hasUrls() || m_engine.isRunning())
        return;
    event->acceptProposedAction();
    const QList<QUrl> urls = event->mimeData()->urls();
    QMetaObject::invokeMethod(this, [this, urls] { openDropped(urls); }, Qt::QueuedConnection);
}

void Form1::openDropped(const QList<QUrl> &urls)
{
    if (m_engine.isRunning())
        return; // another drop's run
    const DroppedFiles dropped(urls);
    if (dropped.refusal().isEmpty())
        openFile(dropped.path());
    else
        showMessage(dropped.refusal());
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (!m_engine.isRunning()) {
        QWidget::closeEvent(event);
        return;
    }
    m_closeAfterRun = true;
    m_engine.StopDump();
    event->ignore();
}

std::optional<QString> Form1::chooseFile(const QString &filter)
{
    if (m_choosingFile)
        return std::nullopt; // a second click that slipped past the modal dialog
    m_choosingFile = true;
    std::optional<QString> path = m_dialogs->chooseFile(this, filter);
    m_choosingFile = false;
    return path;
}

void Form1::setStatusCaption(const QString &caption)
{
    Label1->setText(caption);
    Label1->repaint();
}

void Form1::setStopEnabled(bool enabled)
{
    Command2->setEnabled(enabled);
}

void Form1::handlePendingEvents()
{
    QCoreApplication::processEvents();
}

void Form1::showMessage(const QString &text)
{
    m_dialogs->showMessage(this, text);
}

std::shared_ptr<const TextMetrics> Form1::textMetrics() const
{
    return Text2->textMetrics();
}

void Form1::setDumpText(const QString &text)
{
    Text1->setPlainText(text);
}

bool Form1::isCutFrontSelected() const
{
    return Option1->isChecked();
}
