#pragma once
// The help side of the folder pane's toolbar: the help menu (tutorials, home page, the manual,
// the about box) and the about box, which shows the program's version record.
#include <QDialog>

class QLabel;
class QMenu;
class QPushButton;

namespace shell {

class frmAbout : public QDialog {
 public:
  explicit frmAbout(QWidget* owner);

  QLabel* lblTitle;
  QLabel* lblEdition;
  QLabel* lblVersion;
  QLabel* lblDescription;
  QLabel* lblTrademark;
  QLabel* lblCompany;
  QLabel* lblCopyright;
  QLabel* Image1;  // a click opens the home page
  QLabel* Picture1;
  QLabel* lblTarnwick;  // the home page's address; a click opens it
  QPushButton* cmdOK;

 private:
  void Form_Load();
};

// "Version " and the three version numbers joined by ".".
QString VersionText(int major, int minor, int revision);

// The help menu mnuAboutParent ("About"): "Tutorials", "Visit Home Page", a separator, "Help
// Manual", "About Velmora JPEG2000". The about box opens over `owner`.
QMenu* MakeHelpMenu(QWidget* owner);
// Runs the action of item `Index` of the help menu; errors are ignored.
void mnuAbout_Click(QWidget* owner, int Index);

}  // namespace shell
