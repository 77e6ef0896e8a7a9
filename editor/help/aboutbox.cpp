#include "editor/help/aboutbox.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/window/dialogparts.h"

QPixmap ProgramIconPixmap(int size) {
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    // A page with a square-root sign: writing mathematics for the web.
    painter.setPen(QPen(QColor(40, 60, 110), s / 32));
    painter.setBrush(QColor(250, 250, 245));
    painter.drawRoundedRect(QRectF(s * 0.12, s * 0.06, s * 0.76, s * 0.88), s * 0.06, s * 0.06);
    QPainterPath root;
    root.moveTo(s * 0.22, s * 0.56);
    root.lineTo(s * 0.32, s * 0.50);
    root.lineTo(s * 0.42, s * 0.76);
    root.lineTo(s * 0.54, s * 0.28);
    root.lineTo(s * 0.80, s * 0.28);
    painter.setPen(QPen(QColor(20, 90, 170), s / 14, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(root);
    QFont letter = painter.font();
    letter.setPixelSize(qMax(1, int(s * 0.30)));
    letter.setItalic(true);
    painter.setFont(letter);
    painter.setPen(QColor(170, 40, 40));
    painter.drawText(QRectF(s * 0.54, s * 0.34, s * 0.28, s * 0.36), Qt::AlignCenter, QStringLiteral("x"));
    return picture;
}

QString AboutBox::Version() { return QStringLiteral("v. 0.92"); }

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutBox"));
    setWindowTitle(QStringLiteral("Sobre este programa"));
    setModal(true);

    toolBarPanel = new QFrame(this);
    toolBarPanel->setObjectName(QStringLiteral("toolBarPanel"));
    toolBarPanel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);

    ProgramIcon = new QLabel(toolBarPanel);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setFixedSize(65, 57);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(ProgramIconPixmap(64));
    ProgramIcon->setAccessibleName(QStringLiteral("Ícone do programa"));

    ProductName = new QLabel(QStringLiteral("Velloq"), toolBarPanel);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    QFont large = ProductName->font();
    large.setPixelSize(19);
    large.setBold(true);
    ProductName->setFont(large);

    Comments = new QLabel(QStringLiteral("Editor de Textos Matemáticos"), toolBarPanel);
    Comments->setObjectName(QStringLiteral("Comments"));
    // The text stored with the window; every showing replaces it.
    versionLabel = new QLabel(QStringLiteral("v. 1.0"), toolBarPanel);
    versionLabel->setObjectName(QStringLiteral("versionLabel"));

    auto* texts = new QVBoxLayout;
    texts->addWidget(ProductName);
    texts->addWidget(Comments);
    texts->addSpacing(10);
    texts->addWidget(versionLabel);
    texts->addStretch(1);

    auto* panelLayout = new QHBoxLayout(toolBarPanel);
    panelLayout->setContentsMargins(12, 12, 24, 12);
    panelLayout->setSpacing(16);
    panelLayout->addWidget(ProgramIcon, 0, Qt::AlignTop);
    panelLayout->addLayout(texts, 1);

    OKButton = NamedButton(this, "OKButton", QStringLiteral("OK"), Press::Default);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(toolBarPanel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void AboutBox::onActivated() {
    versionLabel->setText(Version());
    // The focus lands on OK; its description lets a screen reader say what the box tells.
    OKButton->setAccessibleDescription(
        QStringList{ProductName->text(), Comments->text(), versionLabel->text()}.join(QStringLiteral(", ")));
}

void AboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(this);
    onActivated();
    OKButton->setFocus();
}
