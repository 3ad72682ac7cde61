#include "app/AboutView.h"

#include "app/AppInfo.h"
#include "ui/Mnemonic.h"
#include "ui/Style.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace {
    constexpr int logoWidth = 240;

    // Two runs of one word side by side, painted so the kerning and tracking stay those of one line.
    class BrandWord final : public QWidget
    {
    public:
        BrandWord(QString first, QString second, QWidget *parent)
            : QWidget(parent)
            , m_first(std::move(first))
            , m_second(std::move(second))
        {
            QFont f = font();
            f.setPointSizeF(52);
            f.setWeight(QFont::Black);
            f.setKerning(true);
            f.setLetterSpacing(QFont::AbsoluteSpacing, -1);
            setFont(f);
            setAccessibleName(m_first + m_second);
            setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        }

        QSize sizeHint() const override
        {
            const QFontMetrics fm(font());
            return {fm.horizontalAdvance(m_first + m_second), fm.height()};
        }

    protected:
        void paintEvent(QPaintEvent *) override
        {
            QPainter p(this);
            p.setRenderHint(QPainter::TextAntialiasing);
            p.setFont(font());
            const QFontMetrics fm(font());
            const int firstWidth = fm.horizontalAdvance(m_first);
            const int x = (width() - fm.horizontalAdvance(m_first + m_second)) / 2;
            const int baseline = (height() - fm.height()) / 2 + fm.ascent();
            p.setPen(palette().color(QPalette::WindowText));
            p.drawText(x, baseline, m_first);
            p.setPen(Style::color(Style::Tone::Brand, palette()));
            p.drawText(x + firstWidth, baseline, m_second);
        }

    private:
        QString m_first;
        QString m_second;
    };
} // namespace

QuenbyLogo::QuenbyLogo(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(u"quenbyLogo"_s);
    setFixedWidth(logoWidth);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);

    layout->addWidget(new BrandWord(u"Kor"_s, u"vel"_s, this));

    auto *tagline = new QLabel(tr("SSH, IN PLAIN SIGHT"), this);
    tagline->setObjectName(u"taglineLabel"_s);
    QFont f = tagline->font();
    f.setPointSizeF(10);
    f.setWeight(QFont::DemiBold);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 2.5);
    tagline->setFont(f);
    tagline->setAlignment(Qt::AlignHCenter);
    layout->addWidget(tagline);
}

AboutView::AboutView(QWidget *parent)
    : QWidget(parent)
    , m_linkButton(new QPushButton(this))
{
    setObjectName(u"aboutView"_s);
    setFixedWidth(AboutPanel::panelWidth);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 28, 0, 28);
    layout->setSpacing(20);
    layout->setAlignment(Qt::AlignHCenter);

    auto *logo = new QuenbyLogo(this);
    layout->addSpacing(8);
    layout->addWidget(logo, 0, Qt::AlignHCenter);

    auto *nameStack = new QVBoxLayout;
    nameStack->setSpacing(4);
    auto *name = new QLabel(u"Korvel"_s, this);
    name->setFont(Style::titleFont());
    name->setAlignment(Qt::AlignHCenter);
    auto *version = new QLabel(tr("Version %1").arg(AppInfo::appVersion()), this);
    version->setObjectName(u"versionLabel"_s);
    version->setFont(Style::captionFont());
    version->setAlignment(Qt::AlignHCenter);
    version->setToolTip(tr("Version %1 (build %2)").arg(AppInfo::appVersion(), AppInfo::buildNumber()));
    Style::setTextColor(version, Style::Tone::Secondary);
    nameStack->addWidget(name);
    nameStack->addWidget(version);
    layout->addLayout(nameStack);

    auto *linkStack = new QVBoxLayout;
    linkStack->setSpacing(4);
    m_linkButton->setObjectName(u"readmeButton"_s);
    m_linkButton->setText(Mnemonic::escaped(tr("Read the Korvel guide")));
    m_linkButton->setFlat(true);
    m_linkButton->setCursor(Qt::PointingHandCursor);
    QFont linkFont = Style::captionFont();
    linkFont.setWeight(QFont::Medium);
    m_linkButton->setFont(linkFont);
    // A style sheet keeps the button out of palette changes, so the panel puts the colour back in.
    Style::whenRestyled(this, [this] {
        m_linkButton->setStyleSheet(
            u"QPushButton { border: none; background: transparent; padding: 0; color: %1; }"_s.arg(
                Style::textColor(Style::Tone::Brand, palette()).name()));
    });
    const QString readme = AppInfo::readmePath();
    // Without a README there is nothing to open; say so rather than ignore the click.
    m_linkButton->setEnabled(!readme.isEmpty());
    m_linkButton->setToolTip(readme.isEmpty() ? tr("The guide is not installed") : readme);
    connect(m_linkButton, &QPushButton::clicked, this, &AboutView::openReadme);
    auto *credit = new QLabel(tr("Made for the OpenSSH client with Qt %1").arg(QString::fromLatin1(qVersion())), this);
    credit->setObjectName(u"creditLabel"_s);
    credit->setFont(Style::captionFont());
    credit->setAlignment(Qt::AlignHCenter);
    Style::setTextColor(credit, Style::Tone::Secondary);
    linkStack->addWidget(m_linkButton, 0, Qt::AlignHCenter);
    linkStack->addWidget(credit);
    layout->addLayout(linkStack);
}

void AboutView::openReadme()
{
    const QString readme = AppInfo::readmePath();
    if (!readme.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(readme));
}

AboutPanel::AboutPanel(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(u"aboutPanel"_s);
    setWindowTitle(tr("About Korvel"));
    // Closing the main window ends the run even while this panel is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new AboutView(this));
    setFixedSize(panelWidth, panelHeight);
}

void AboutPanel::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void AboutPanel::mousePressEvent(QMouseEvent *event)
{
    // Presses on the background (not on the link) move the window.
    if (event->button() == Qt::LeftButton && windowHandle() && windowHandle()->startSystemMove()) {
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}
