// The about dialog: its look, its wiring and the maker's fixed details.
#include "UABOUT.h"

#include "components/captionicon.h"
#include "components/glyphs.h"
#include "fonts.h"
#include "messages.h"
#include "ui_UABOUT.h"

#include <QDesktopServices>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTextOption>
#include <qdrawutil.h>

namespace {

// The maker is fictional; the addresses are under the reserved example domain.
const QString makerName = QStringLiteral("Quorvel工作室");
const QString makerPlace = QStringLiteral("示例省样板市");
const QString mailAddress = QStringLiteral("qc@quorvel.example");
const QString webAddress = QStringLiteral("https://quorvel.example/");

QString makerDetails()
{
    return QStringList {
        QStringLiteral("Quorvel工作室"),
        QString(),
        QStringLiteral("一间虚构的小软件作坊"),
        QStringLiteral("成员：示例先生  样板女士"),
        QStringLiteral("生日：每年二月三十日"),
        QStringLiteral("爱好：写小程序、看星星、记日志"),
        QStringLiteral("住址：示例省样板市虚构路8号"),
        QStringLiteral("电话：000-00000000（空号）"),
        QString(),
        QStringLiteral("以上内容纯属虚构"),
        QStringLiteral("单击这里返回"),
    }
        .join(QLatin1Char('\n'));
}

void setColours(QWidget *widget, const QColor &text, const QColor &background = {})
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Text, text);
    if (background.isValid()) {
        palette.setColor(QPalette::Window, background);
        palette.setColor(QPalette::Base, background);
    }
    widget->setPalette(palette);
}

bool isLeftClick(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    const auto *widget = qobject_cast<QWidget *>(watched);
    // Like a button, a release away from where the press began is no click.
    return mouse->button() == Qt::LeftButton && widget
        && widget->rect().contains(mouse->position().toPoint());
}

} // namespace

TAboutForm::TAboutForm(QWidget *parent)
    : QDialog(parent)
    , m_openUrl([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
    // The dialog lives from start-up but is rarely opened: only what a hidden window needs is set
    // here; its controls, picture and fonts are built the first time it is shown.
    setObjectName(QStringLiteral("TAboutForm"));
    setWindowTitle(QStringLiteral("关于"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
        | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(345, 257);
    setFont(qc::designFont(QStringLiteral("MS Sans Serif"), 11));
    setColours(this, palette().color(QPalette::WindowText), QColor(128, 128, 192));
    setAutoFillBackground(true);
}

TAboutForm::~TAboutForm() = default;

void TAboutForm::setUrlOpener(UrlOpener opener)
{
    m_openUrl = std::move(opener);
}

void TAboutForm::ensureBuilt()
{
    if (m_ui)
        return;
    m_ui = std::make_unique<Ui::TAboutForm>();
    m_ui->setupUi(this);

    m_popupMenu = new QMenu(this);
    m_popupMenu->setObjectName(QStringLiteral("PopupMenu1"));
    const auto addEntry = [this](const char *name, const QString &caption, void (TAboutForm::*handler)()) {
        QAction *action = m_popupMenu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        connect(
            action, &QAction::triggered, this, [this, handler] { qc::guarded([&] { (this->*handler)(); }); });
    };
    addEntry("N3", QStringLiteral("Quorvel软件程序员"), &TAboutForm::N2Click);
    addEntry("N5", QStringLiteral("Quorvel软件网址"), &TAboutForm::N5Click);
    addEntry("N6", QStringLiteral("Quorvel软件电子邮件"), &TAboutForm::N6Click);
    addEntry("N7", QStringLiteral("本软件特别感谢"), &TAboutForm::N7Click);

    applyLook();
    wire();
}

QMenu *TAboutForm::popupMenu()
{
    ensureBuilt();
    return m_popupMenu;
}

void TAboutForm::setVisible(bool visible)
{
    // Before QDialog shows the children: controls made during the show event would stay hidden.
    if (visible)
        ensureBuilt();
    QDialog::setVisible(visible);
}

void TAboutForm::applyLook()
{
    const QFont song = qc::designFont(QStringLiteral("宋体"), 16);

    QFont banner = qc::designFont(QStringLiteral("楷体_GB2312"), 20);
    banner.setBold(true);
    m_ui->Softname->setFont(banner);
    setColours(m_ui->Softname, Qt::red, QColor(255, 255, 128));
    m_ui->Softname->setBevels(TPanel::bvRaised, TPanel::bvLowered, 1, 2, false);

    m_ui->Version->setFont(song);
    setColours(m_ui->Version, Qt::yellow);

    setColours(m_ui->Panel1, Qt::black, Qt::white);
    m_ui->Panel1->setBevels(TPanel::bvLowered, TPanel::bvNone, 1, 0, true);

    const auto styleLabel = [&](QLabel *label, const QColor &colour, bool underline, bool italic) {
        QFont font = song;
        font.setUnderline(underline);
        font.setItalic(italic);
        label->setFont(font);
        setColours(label, colour);
        label->adjustSize();
    };
    styleLabel(m_ui->Label1, Qt::red, false, false);
    styleLabel(m_ui->Label2, Qt::blue, true, false);
    styleLabel(m_ui->Label4, Qt::red, true, false);
    styleLabel(m_ui->Label5, Qt::blue, true, false);
    styleLabel(m_ui->Label3, Qt::magenta, false, true);

    QPlainTextEdit *memo = m_ui->Memo1;
    memo->setFont(song);
    setColours(memo, QColor(0, 255, 0), Qt::black);
    memo->setFrameShape(QFrame::NoFrame);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->document()->setDefaultTextOption(QTextOption(Qt::AlignHCenter));
    memo->setPlainText(makerDetails());
    // Aligned to the panel's client area: inside its border and bevel.
    memo->setGeometry(m_ui->Panel1->contentsRect());
    memo->setContextMenuPolicy(Qt::NoContextMenu);
    memo->hide();
    memo->raise();

    setColours(m_ui->Panel2, Qt::black, QColor(255, 128, 128));
    m_ui->Panel2->setBevels(TPanel::bvLowered, TPanel::bvNone, 1, 0, false);
    m_ui->BitBtn3->setFont(song);
    setColours(m_ui->BitBtn3, Qt::blue);
    m_ui->BitBtn3->setIcon(qc::glyphIcon(qc::Glyph::Back));

    m_ui->Panel3->setBevels(TPanel::bvLowered, TPanel::bvLowered, 1, 0, true);
    m_ui->Image1->setPixmap(qc::aboutPicture());

    m_ui->BitBtn3->setFocus();
}

void TAboutForm::wire()
{
    for (QObject *clickable : { static_cast<QObject *>(m_ui->Label2), static_cast<QObject *>(m_ui->Label4),
             static_cast<QObject *>(m_ui->Label5), static_cast<QObject *>(m_ui->Memo1->viewport()) })
        clickable->installEventFilter(this);
    connect(m_ui->BitBtn3, &QPushButton::clicked, this, [this] { qc::guarded([&] { BitBtn3Click(); }); });
    connect(m_ui->Image1, &QWidget::customContextMenuRequested, this,
        [this](const QPoint &at) { m_popupMenu->popup(m_ui->Image1->mapToGlobal(at)); });
}

bool TAboutForm::eventFilter(QObject *watched, QEvent *event)
{
    if (m_ui && isLeftClick(watched, event)) {
        if (watched == m_ui->Label2)
            qc::guarded([&] { Label2Click(); });
        else if (watched == m_ui->Label4)
            qc::guarded([&] { Label4Click(); });
        else if (watched == m_ui->Label5)
            qc::guarded([&] { Label5Click(); });
        else if (watched == m_ui->Memo1->viewport())
            qc::guarded([&] { Memo1Click(); });
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutForm::showEvent(QShowEvent *event)
{
    // Centred on the screen the first time only; afterwards it comes back where it was left.
    if (!m_placed) {
        m_placed = true;
        if (const QScreen *where = screen())
            move(where->availableGeometry().center() - rect().center());
    }
    qc::removeCaptionIcon(this);
    QDialog::showEvent(event);
}

void TAboutForm::Label2Click()
{
    ensureBuilt();
    m_ui->Memo1->show();
}

void TAboutForm::Memo1Click()
{
    ensureBuilt();
    m_ui->Memo1->hide();
}

void TAboutForm::Label4Click()
{
    m_openUrl(QUrl(QStringLiteral("mailto:") + mailAddress));
}

void TAboutForm::Label5Click()
{
    m_openUrl(QUrl(webAddress));
}

void TAboutForm::BitBtn3Click()
{
    close();
}

void TAboutForm::N2Click()
{
    qc::showInformation(makerName + QStringLiteral("  ") + makerPlace);
}

void TAboutForm::N5Click()
{
    qc::showInformation(webAddress);
}

void TAboutForm::N6Click()
{
    qc::showInformation(QStringLiteral("E-mail:") + mailAddress);
}

void TAboutForm::N7Click()
{
    qc::showInformation(QStringLiteral("感谢所有试用本软件并提出宝贵意见的朋友！"));
}
