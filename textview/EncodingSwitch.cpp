#include "EncodingSwitch.h"

#include "FileText.h"
#include "FileTextView.h"

#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QKeyEvent>
#include <QTimerEvent>

EncodingSwitch::EncodingSwitch(FileTextView *view)
    : QWidget(view)
    , m_view(view)
    , m_progress(new QProgressBar(this))
{
    setObjectName(QStringLiteral("encodingSwitch"));
    m_progress->setFormat(QStringLiteral("文字コードを切り替えています… %p%（Esc で中止）"));
    m_progress->setAccessibleName(QStringLiteral("文字コードの切り替えの進み具合"));
    auto *stop = new QPushButton(QStringLiteral("中止"), this);
    stop->setFocusPolicy(Qt::NoFocus); // the focus stays in the text
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(m_progress, 1);
    layout->addWidget(stop);
    connect(stop, &QPushButton::clicked, this, &EncodingSwitch::cancelByUser);
    view->installEventFilter(this);
    hide();
    view->addBottomBar(this);
}

EncodingSwitch::~EncodingSwitch() = default;

void EncodingSwitch::start(std::shared_ptr<const FileText> source, TextEncoding encoding)
{
    cancel();
    m_text = std::make_shared<FileText>(std::move(source), encoding, m_view->textMetrics());
    m_slices = 0;
    m_progress->setValue(0);
    m_sinceProgress.invalidate();
    if (runSlice(FirstSliceMs))
        return finish();
    m_timer.start(0, this);
    show();
}

void EncodingSwitch::cancel()
{
    m_timer.stop();
    m_text.reset();
    hide();
}

void EncodingSwitch::cancelByUser()
{
    if (!isRunning())
        return;
    cancel();
    emit cancelled();
}

void EncodingSwitch::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_timer.timerId())
        return QWidget::timerEvent(event);
    if (runSlice(SliceMs))
        return finish();
    if (m_sinceProgress.isValid() && m_sinceProgress.elapsed() < ProgressMs)
        return;
    m_sinceProgress.start();
    const qint64 size = std::max<qint64>(m_text->sourceSize(), 1);
    m_progress->setValue(int(m_text->size() * 100 / size));
}

bool EncodingSwitch::runSlice(int ms)
{
    ++m_slices;
    QElapsedTimer clock;
    clock.start();
    while (m_text->indexMore(StepBytes) > 0) {
        if (clock.elapsed() >= ms)
            return false;
    }
    return true;
}

void EncodingSwitch::finish()
{
    std::shared_ptr<const FileText> text = std::move(m_text);
    cancel();
    emit finished(std::move(text));
}

bool EncodingSwitch::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && isRunning() && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        cancelByUser();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
