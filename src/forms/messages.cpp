// The error box, the information window and the Yes/No question box.
// The modal windows go through one hook so tests can answer them without a nested event loop.
#include "messages.h"

#include <QApplication>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSpacerItem>
#include <QStyle>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QWindow>
#include <QtMath>

#include <memory>

namespace qc {

namespace {

MessageHook &messageHook()
{
    static MessageHook hook;
    return hook;
}

QPointer<QWidget> &mainWindow()
{
    static QPointer<QWidget> window;
    return window;
}

QRect screenGeometry()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        return screen->geometry();
    return QRect(0, 0, 800, 600);
}

// The width a window needs for the system to show its caption whole: the text in the title bar's
// font (bold, as many window managers draw it) and room for the icon and three caption buttons.
// The system draws the caption, so this errs on the generous side.
int captionWidth(const QString &caption)
{
    QFont font = QApplication::font("QTitleBar");
    font.setBold(true);
    const QFontMetrics metrics(font);
    const int bar = qMax(QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight), metrics.height() + 8);
    return metrics.horizontalAdvance(caption) + 6 * bar;
}

// A layout item that keeps the window at least as wide as its caption needs.
QSpacerItem *captionStrut(const QWidget *window, const QLayout *layout)
{
    const QMargins margins = layout->contentsMargins();
    const int width = captionWidth(window->windowTitle()) - margins.left() - margins.right();
    return new QSpacerItem(qMax(width, 0), 0, QSizePolicy::Fixed, QSizePolicy::Fixed);
}

// A message box lays itself out anew when its icon or texts change: called when it is complete.
void widenForCaption(QMessageBox *box)
{
    if (auto *grid = qobject_cast<QGridLayout *>(box->layout()))
        grid->addItem(captionStrut(box, grid), grid->rowCount(), 0, 1, grid->columnCount());
}

// The text of the information window. It is laid out by a QTextDocument that is filled through a
// cursor, never parsed from markup, so whatever the text holds is shown as it stands; only the
// resolved "&" prefixes add an underline. It is a label holding the plain text, so assistive
// technology reads it as the window's static text, though the document paints it.
class InformationText : public QLabel
{
public:
    InformationText(const QString &text, const QFont &font, int maxWidth, QWidget *parent)
        : QLabel(parent)
    {
        setFont(font);
        m_document.setDefaultFont(font);
        m_document.setDocumentMargin(0);
        const MnemonicText resolved = resolveMnemonics(text);
        QTextCursor cursor(&m_document);
        QTextCharFormat plain;
        QTextCharFormat underlined;
        underlined.setFontUnderline(true);
        qsizetype start = 0;
        for (const qsizetype position : resolved.underlined) {
            cursor.insertText(resolved.text.mid(start, position - start), plain);
            cursor.insertText(resolved.text.mid(position, 1), underlined);
            start = position + 1;
        }
        cursor.insertText(resolved.text.mid(start), plain);
        setTextFormat(Qt::PlainText);
        setText(resolved.text);
        // Set apart from the text, which Qt would read with its "&" prefixes resolved once more.
        setAccessibleName(resolved.text);
        m_document.setTextWidth(-1);
        if (m_document.idealWidth() > maxWidth)
            m_document.setTextWidth(maxWidth);
        const QSizeF size = m_document.size();
        setFixedSize(qCeil(size.width()), qCeil(size.height()));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        m_document.drawContents(&painter);
    }

private:
    QTextDocument m_document;
};

// The question box must be answered with Yes or No: Esc and the close box do nothing.
class QuestionBox : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->matches(QKeySequence::Cancel)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent *event) override
    {
        if (!clickedButton()) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }
};

} // namespace

QString applicationTitle()
{
    return QStringLiteral("Quorvel日历记事本 V1.0");
}

MnemonicText resolveMnemonics(QStringView text)
{
    MnemonicText result;
    result.text.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'&') {
            result.text.append(text[i]);
            continue;
        }
        ++i;
        if (i == text.size())
            break;
        if (text[i] != u'&')
            result.underlined.append(result.text.size());
        result.text.append(text[i]);
    }
    return result;
}

void setMainWindow(QWidget *window)
{
    mainWindow() = window;
}

int execModal(QDialog *dialog)
{
    QWidget *owner = QApplication::activeModalWidget();
    if (!owner)
        owner = mainWindow();
    if (owner && owner != dialog) {
        dialog->setWindowModality(Qt::WindowModal);
        // Modality follows the chain of transient parents; the owner needs a native window for it
        // even while it has never been shown (start-up reminders come before the main window).
        owner->winId();
        dialog->winId();
        dialog->windowHandle()->setTransientParent(owner->windowHandle());
    } else {
        dialog->setWindowModality(Qt::ApplicationModal);
    }
    // Qt leaves the keyboard with a window that a window-modal dialog disables when that window
    // is clicked or activated; the dialog takes it over, as an owned window does on Windows.
    const QMetaObject::Connection relay = QObject::connect(
        qApp, &QGuiApplication::focusWindowChanged, dialog, [dialog](QWindow *focus) {
            if (!focus || QApplication::activeModalWidget() != dialog)
                return;
            for (const QWindow *w = dialog->windowHandle()->transientParent(); w; w = w->transientParent()) {
                if (w == focus) {
                    dialog->activateWindow();
                    return;
                }
            }
        });
    const int result = dialog->exec();
    QObject::disconnect(relay);
    return result;
}

void showErrorBox(const QString &message)
{
    const QString text = errorBoxText(message);
    if (messageHook()) {
        messageHook()(MessageKind::Error, applicationTitle(), text);
        return;
    }
    std::unique_ptr<QMessageBox> box(createErrorBox(text));
    execModal(box.get());
}

QMessageBox *createErrorBox(const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::Critical, applicationTitle(), text, QMessageBox::Ok);
    box->setTextFormat(Qt::PlainText);
    widenForCaption(box);
    return box;
}

QDialog *createInformationWindow(const QString &text)
{
    auto *window = new QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    window->setWindowTitle(applicationTitle());

    const QRect screen = screenGeometry();
    auto *label
        = new InformationText(text, QApplication::font("QMessageBoxLabel"), screen.width() / 2, window);
    label->setObjectName(QStringLiteral("text"));

    auto *ok = new QPushButton(QStringLiteral("OK"), window);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    ok->setAutoDefault(true);
    QObject::connect(ok, &QPushButton::clicked, window, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(window);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(label, 0, Qt::AlignCenter);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->addItem(captionStrut(window, layout));

    window->adjustSize();
    QRect frame(QPoint(), window->size());
    frame.moveCenter(screen.center());
    window->move(frame.topLeft());
    ok->setFocus();
    return window;
}

void showInformation(const QString &text)
{
    if (messageHook()) {
        messageHook()(MessageKind::Information, applicationTitle(), text);
        return;
    }
    std::unique_ptr<QDialog> window(createInformationWindow(text));
    execModal(window.get());
}

QMessageBox *createQuestionBox(const QString &caption, const QString &text)
{
    auto *box = new QuestionBox(QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No);
    box->setTextFormat(Qt::PlainText);
    box->setDefaultButton(QMessageBox::Yes);
    box->setWindowFlag(Qt::WindowCloseButtonHint, false);
    widenForCaption(box);
    return box;
}

bool askYesNo(const QString &caption, const QString &text)
{
    if (messageHook())
        return messageHook()(MessageKind::Question, caption, text);
    std::unique_ptr<QMessageBox> box(createQuestionBox(caption, text));
    return execModal(box.get()) == QMessageBox::Yes;
}

void setMessageHookForTesting(MessageHook hook)
{
    messageHook() = std::move(hook);
}

namespace {

// Every program with windows links this unit, so from its start every handler error ends in the
// error box.
[[maybe_unused]] const bool errorBoxIsTheSink = [] {
    setErrorSink(showErrorBox);
    return true;
}();

} // namespace

} // namespace qc
