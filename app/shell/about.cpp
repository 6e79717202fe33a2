#include "app/shell/about.h"

#include <QAction>
#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "app/controls/popup_menu.h"
#include "app/shell/errors.h"
#include "app/shell/paths.h"
#include "app/shell/pictures.h"
#include "app/shell/text_entry.h"
#include "app/shell/version_record.h"

namespace shell {

namespace {

constexpr int kTutorials = 0, kHomePage = 1, kHelpManual = 3, kAbout = 4;
constexpr int kPictureSide = 48;

const char* const kHelpItems[] = {"Tutorials", "Visit Home Page", "-", "Help Manual",
                                  "About Velmora JPEG2000"};

QString HomePage() {
  return QString::fromUtf8(version::kHomePage);
}

QLabel* MakeLabel(QWidget* parent, const char* text) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setWordWrap(true);
  return label;
}

QLabel* MakePicture(QWidget* parent, Picture picture) {
  auto* label = new QLabel(parent);
  // Enlarged pixel for pixel, so the small picture stays crisp.
  label->setPixmap(QPixmap::fromImage(PictureImage(picture).scaled(
      kPictureSide, kPictureSide, Qt::KeepAspectRatio, Qt::FastTransformation)));
  label->setFixedSize(kPictureSide, kPictureSide);
  return label;
}

}  // namespace

QString VersionText(int major, int minor, int revision) {
  return QStringLiteral("Version %1.%2.%3").arg(major).arg(minor).arg(revision);
}

frmAbout::frmAbout(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("frmAbout"));
  setWindowTitle(QStringLiteral("About"));
  Image1 = MakePicture(this, Picture::picBrowseAbout);
  Image1->setCursor(Qt::PointingHandCursor);
  Picture1 = MakePicture(this, Picture::picSaveMultiPage);
  lblTitle = MakeLabel(this, "");
  QFont title = lblTitle->font();
  title.setBold(true);
  title.setPointSizeF(title.pointSizeF() * 1.4);
  lblTitle->setFont(title);
  lblEdition = MakeLabel(this, "");
  lblVersion = MakeLabel(this, "Version :");
  lblDescription = MakeLabel(this, "");
  lblTrademark = MakeLabel(this, "");
  lblCompany = MakeLabel(this, "");
  lblCopyright = MakeLabel(this, "");
  lblTarnwick = MakeLabel(this, version::kHomePage);
  lblTarnwick->setCursor(Qt::PointingHandCursor);
  QPalette link = lblTarnwick->palette();
  link.setColor(QPalette::WindowText, link.color(QPalette::Link));
  lblTarnwick->setPalette(link);
  cmdOK = new QPushButton(QStringLiteral("OK"), this);
  cmdOK->setDefault(true);

  auto* pictures = new QVBoxLayout;
  pictures->addWidget(Image1);
  pictures->addWidget(Picture1);
  pictures->addStretch(1);
  auto* texts = new QVBoxLayout;
  for (QLabel* label : {lblTitle, lblEdition, lblVersion, lblDescription, lblTrademark, lblCompany,
                        lblCopyright, lblTarnwick})
    texts->addWidget(label);
  auto* body = new QHBoxLayout;
  body->addLayout(pictures);
  body->addLayout(texts, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdOK);
  auto* column = new QVBoxLayout(this);
  column->addLayout(body, 1);
  column->addLayout(buttons);

  velmora::OnClick(Image1, [] { subOpenWithShell(HomePage()); });
  velmora::OnClick(lblTarnwick, [] { subOpenWithShell(HomePage()); });
  connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
  Form_Load();
  resize(420, sizeHint().height());
}

void frmAbout::Form_Load() {
  lblTitle->setText(QCoreApplication::applicationName());
  lblEdition->setText(QString::fromUtf8(version::kEdition));
  lblVersion->setText(VersionText(version::kMajor, version::kMinor, version::kRevision));
  lblDescription->setText(QString::fromUtf8(version::kDescription));
  lblTrademark->setText(QString::fromUtf8(version::kTrademarks));
  lblCompany->setText(QString::fromUtf8(version::kCompany));
  lblCopyright->setText(QString::fromUtf8(version::kLegalNotice));
}

QMenu* MakeHelpMenu(QWidget* owner) {
  auto* menu = new QMenu(QStringLiteral("About"), owner);
  menu->setObjectName(QStringLiteral("mnuAboutParent"));
  for (int index = 0; index < static_cast<int>(std::size(kHelpItems)); ++index) {
    const QString caption = QString::fromUtf8(kHelpItems[index]);
    if (caption == u"-") {
      menu->addSeparator();
      continue;
    }
    QObject::connect(menu->addAction(caption), &QAction::triggered, menu,
                     [owner, index] { mnuAbout_Click(owner, index); });
  }
  return menu;
}

void mnuAbout_Click(QWidget* owner, int Index) {
  IgnoreErrors([&] {
    switch (Index) {
      case kTutorials:
        subOpenWithShell(QString::fromUtf8(version::kTutorialPage));
        break;
      case kHomePage:
        subOpenWithShell(HomePage());
        break;
      case kHelpManual:
        // Handed over whether or not the file is there: the desktop says so when it is missing.
        subOpenWithShell(gstrHelpFile);
        break;
      case kAbout: {
        frmAbout about(owner);
        about.exec();
        break;
      }
      default:
        break;
    }
  });
}

}  // namespace shell
