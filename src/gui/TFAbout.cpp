#include "TFAbout.h"

#include "ClickableLabel.h"
#include "base/ProductIdentity.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace {
constexpr int ClientWidth = 425;
constexpr int ClientHeight = 148;

// The web address as shown: the host without its "www.", so that it fits beside the OK button.
QString shownAddress()
{
    QString host = Product::MakerHost;
    if (host.startsWith(QLatin1String("www.")))
        host.remove(0, 4);
    return host;
}
} // namespace

TFAbout::TFAbout(AppContext &context, QWidget *parent)
    : DialogBase(context, parent)
{
    setObjectName(QStringLiteral("TFAbout"));
    setWindowTitle(QStringLiteral("About..."));

    Image2 = new ClickableLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(32, 24, 81, 81);
    Image2->setScaledContents(true);
    Image2->setPixmap(productPicture());
    Image2->setCursor(Qt::PointingHandCursor);
    connect(Image2, &ClickableLabel::clicked, this, ErrorReport::guarded(m_ctx.messages, [this] { openHomePage(); }));

    QLabel *label1 = makeLabel(QStringLiteral("Label1"), QStringLiteral("Software Fabricor "), 128, 24);
    QFont heading = label1->font();
    heading.setBold(true);
    heading.setPointSize(10);
    label1->setFont(heading);
    label1->adjustSize();
    Label2 = makeLabel(QStringLiteral("Label2"), QString(), 128, 39);
    makeLabel(QStringLiteral("Label6"), QStringLiteral("Software Code : "), 128, 62);
    Label9 = makeLabel(QStringLiteral("Label9"), QString(), 240, 62);
    makeLabel(QStringLiteral("Label3"), QStringLiteral("Version :"), 128, 77);
    Label10 = makeLabel(QStringLiteral("Label10"), QString(), 240, 77);
    makeLabel(QStringLiteral("Label8"), QStringLiteral("Document Code :"), 128, 93);
    Label12 = makeLabel(QStringLiteral("Label12"), QString(), 240, 93);

    Label4 = new ClickableLabel(shownAddress(), this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->move(316, 131);
    Label4->adjustSize();
    Label4->setCursor(Qt::PointingHandCursor);
    connect(Label4, &ClickableLabel::clicked, this, ErrorReport::guarded(m_ctx.messages, [this] { openHomePage(); }));

    auto *ok = makeButton(this, QStringLiteral("LbButton1"), QRect(32, 115, 81, 22));
    ok->setText(QStringLiteral("OK"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    setFixedClientSize(ClientWidth, ClientHeight);
    Set_Lang();
}

QLabel *TFAbout::makeLabel(const QString &name, const QString &text, int left, int top)
{
    auto *label = new QLabel(text, this);
    label->setObjectName(name);
    label->move(left, top);
    label->adjustSize();
    return label;
}

void TFAbout::Set_Lang()
{
    // No catalog texts: the identity reads the same in every language.
}

void TFAbout::showEvent(QShowEvent *event)
{
    DialogBase::showEvent(event);
    setFixedClientSize(ClientWidth, ClientHeight);
    Label2->setText(Product::Description);
    Label9->setText(Product::SoftwareCode);
    Label10->setText(Product::Version);
    Label12->setText(Product::DocumentCode);
    for (QLabel *label : {Label2, Label9, Label10, Label12})
        label->adjustSize();
}

void TFAbout::openHomePage()
{
    if (m_ctx.platform.urlOpener)
        m_ctx.platform.urlOpener->open(Product::homePageUrl());
}

QPixmap TFAbout::productPicture()
{
    // The converter seen from the front: a grey box with its two ports and status lights.
    QPixmap picture(81, 81);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(90, 90, 90), 2));
    painter.setBrush(QColor(200, 200, 196));
    painter.drawRoundedRect(QRectF(10, 6, 61, 69), 6, 6);
    painter.setBrush(QColor(60, 60, 60));
    painter.drawRect(QRectF(18, 14, 45, 12)); // label strip
    painter.setPen(Qt::white);
    QFont font(QStringLiteral("Verdana"));
    font.setPixelSize(8);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRectF(18, 14, 45, 12), Qt::AlignCenter, QStringLiteral("40917"));
    painter.setPen(QPen(QColor(90, 90, 90), 1));
    painter.setBrush(QColor(40, 40, 40));
    painter.drawRect(QRectF(18, 34, 18, 14)); // Ethernet socket
    painter.setBrush(QColor(0, 110, 60));
    painter.drawRect(QRectF(45, 34, 18, 14)); // DeviceNet connector
    const QColor lights[3] = {QColor(40, 200, 60), QColor(250, 180, 0), QColor(220, 40, 40)};
    for (int i = 0; i < 3; ++i) {
        painter.setBrush(lights[i]);
        painter.drawEllipse(QPointF(24 + i * 16, 62), 4, 4);
    }
    return picture;
}
