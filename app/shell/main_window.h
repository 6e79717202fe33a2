#pragma once
// The main window frmMain: five panes divided by four Splitters, the viewer around the image
// control ibMain, the status bar with its seven keyed panels, and the hidden helpers the working
// areas rely on. Panes place their children by absolute geometry (subResize), so each pixel rule
// of the layout holds exactly.
//
// Hooks for the working areas: the pane widgets below are public and stay empty until their
// owners fill them: the viewer (PicViewImage, ibMain's mouse signals, the preview buttons), the
// folder list (ftvBrowse's FolderSelected, lvFolder, fileMainPattern), the basket (lvPages,
// the "queue" panel), the task pane (eb, picDialog, lvEdit) and the menus.
#include <QFrame>
#include <QLabel>
#include <QLockFile>
#include <QMap>
#include <QStringList>
#include <QTabBar>
#include <QTreeView>
#include <QWidget>
#include <array>
#include <memory>

class QActionGroup;
class QComboBox;
class QFileSystemModel;
class QMenu;
class QPushButton;
class QScrollBar;
class QStatusBar;
class QTreeWidget;

namespace plat::com {
class ControlHost;
}
namespace velmora {
class Splitter;
}

namespace shell {

// The folder tree: folders only, with a selected path that is applied once the model has loaded
// it (a folder that no longer exists falls back to the home folder).
class FolderTree : public QTreeView {
  Q_OBJECT

 public:
  explicit FolderTree(QWidget* parent = nullptr);
  QString SelectedPath() const;
  void SetSelectedPath(const QString& path);

 signals:
  void FolderSelected(const QString& path);

 private:
  void SelectWhenLoaded(const QString& loadedFolder);
  QFileSystemModel* model_;
  QString pending_;
};

// A tab strip: the row of tabs at its top, the panes laid over the rest by the window.
class TabStrip : public QFrame {
 public:
  explicit TabStrip(const QStringList& tabs, QWidget* parent = nullptr);
  QTabBar* Tabs() const { return tabs_; }
  // The height of the row of tabs.
  int TabRowHeight() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QTabBar* tabs_;
};

// The hidden companion window: the popup menus of the metadata and task lists, forwarding the
// chosen item's index, and a hidden image control for the task replay.
class FrameDummy : public QWidget {
  Q_OBJECT

 public:
  explicit FrameDummy(QWidget* parent = nullptr);
  QMenu* mnuEXIF;
  QMenu* mnuIPTC;
  QMenu* mnuTaskBasket;
  plat::com::ControlHost* ibTemp;

 signals:
  // The task basket commands belong to the task list (cmdEditBar_Click).
  void TaskBasketCommand(int index);
};

enum class Arrangement { Edit, BrowseMetadataHidden, BrowseMetadataShown };

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  // Lays out the whole window from the current pane sizes; never reports an error.
  void subResize();
  // Shows the metadata pane when either list applies to the shown file, hides it when neither does.
  void subShowMetadataPane(bool exif, bool iptc);
  // Applies the list options of gSetup to the controls.
  void subUpdateForm();
  // Stores the window state into gSetup and writes the settings file.
  void subEnd();
  // Every button of the window paints plainly again; the last step of subEnd.
  void DetachButtonPictures();
  Arrangement CurrentArrangement() const;
  // The text of the status panel with `key`, and the icon beside it.
  QLabel* Panel(const QString& key) const { return panels_.value(key); }
  QLabel* PanelIcon(const QString& key) const;
  static const QStringList& fileMainPattern();

  velmora::Splitter* splMain;
  velmora::Splitter* splRight;
  velmora::Splitter* splLeft;
  velmora::Splitter* splView;

  QWidget* picBrowse;
  QLabel* lblBrowse;
  TabStrip* tbsBrowse;
  QWidget* picFileSystem;
  FolderTree* ftvBrowse;
  QTreeWidget* lvEdit;
  QWidget* picEditBar;

  QWidget* PicMetadata;
  QLabel* lblMetadata;
  TabStrip* tbsMetadata;
  QTreeWidget* lvExif;
  QTreeWidget* lvIPTC;
  QWidget* picEXIFBar;
  QWidget* picIPTCBar;
  std::array<QPushButton*, 6> cmdEXIFBar;
  std::array<QPushButton*, 5> cmdIPTCBar;

  QWidget* PicFolder;
  QLabel* lblFolder;
  QWidget* PicToolbarFolder;  // in the caption row, left of the view buttons
  QPushButton* cmdBrowseSettings;
  QPushButton* cmdBrowseAbout;
  QMenu* mnuAboutParent;  // the help menu below cmdBrowseAbout
  QTreeWidget* lvFolder;

  QWidget* PicQueue;
  QLabel* lblQueue;
  QWidget* picLiveBar;
  QTreeWidget* lvPages;
  QPushButton* cmdSaveAs;        // "Generate documents": opens the "SaveAs" menu
  QPushButton* cmdBatchPrint;    // prints every basket image
  QPushButton* cmdTwainAcquire;  // scans into the basket
  QPushButton* cmdCapture;       // captures the screen into the basket

  QWidget* picView;
  QWidget* picToolbarPreview;
  QLabel* Label4;  // the caption "Preview": a click opens the viewer menu
  QPushButton* cmdPreviewPrevious;
  QPushButton* cmdPreviewNext;
  QPushButton* cmdPreviewView;
  QPushButton* cmdPreviewType;
  QPushButton* CmdPreviewEdit;
  QPushButton* cmdPreviewPrint;
  QPushButton* cmdPreviewSave;
  QMenu* mnuPreviewType;  // "Original", "Optimized": one ticked
  QMenu* mnuPreviewFit;   // "Best Fit", "Actual Size": one ticked
  QFrame* PicViewImage;
  plat::com::ControlHost* ibMain;
  QScrollBar* vsbView;
  QScrollBar* hsbView;
  QWidget* eb;         // the task pane
  QWidget* picDialog;  // holds the task option panels
  std::array<QWidget*, 16> taskPanels;

  QStatusBar* sbMain;

  // Hidden helpers: a second image control and the picture holders of the builders.
  plat::com::ControlHost* ibTemp;
  QLabel* PicTiff;
  QLabel* pTemp;
  FrameDummy* frmFrameDummy;

  QComboBox* cboMergeStyle;
  QComboBox* ComboFilter;
  QComboBox* cboPosition;
  QComboBox* comboFontSize;
  QComboBox* ComboFontFamily;

  bool mbOptimizedView = false;
  bool mbFirstResize = false;

 signals:
  // The mouse events of ibMain, for the viewer: button (1 left, 2 right, 4 middle), shift, x, y.
  void ImageMouseDown(int button, int shift, int x, int y);
  void ImageMouseMove(int shift, int x, int y);
  void ImageMouseUp(int button, int shift, int x, int y);
  // subEnd, once the settings are written: the working areas release the images they hold.
  void Ending();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildPanes();
  void BuildBrowsePane();
  void BuildMetadataPane();
  void BuildFolderPane();
  void BuildFolderToolbar();
  void cmdBrowseSettings_Click();
  void cmdBrowseAbout_Click();
  void BuildQueuePane();
  void BuildViewPane();
  void BuildStatusBar();
  void FillCombos();
  void subSetup();
  void subRestoreLayout();
  void ApplyLayoutSettings();
  void CopyThumbnailSizes();
  void subSetHelpFile();
  void SetPanelIcons();
  static QSize MinimumSize();
  static QSize StartSize();
  void StoreWindowSize();
  void ForwardImageEvent(int dispid, const QVariantList& args);
  void Form_Resize();
  void tbsBrowse_Click();
  void LayOutBrowsePane();
  void LayOutMetadataPane();
  void LayOutFolderPane();
  void LayOutViewPane(Arrangement arrangement);
  void PlaceViewPane(Arrangement arrangement);
  int PreviewToolbarRowWidth(Arrangement arrangement) const;
  int LayOutPreviewToolbar(int rowWidth);
  void LayOutQueuePane();
  void ShowImageState();
  void ShowZoom();

  QMap<QString, QLabel*> panels_;
  QList<QWidget*> previewToolbarItems_;  // the caption "Preview" and the buttons, in row order
  QActionGroup* previewTypeGroup_;
  QActionGroup* previewFitGroup_;
  bool ended_ = false;
  bool resizing_ = false;
};

// Working copies of the thumbnail sizes of the file list and the basket and of the basket folder:
// taken from gSetup at start-up (the sizes also by subUpdateForm) and written back at exit.
extern int32_t glThumbWidth;
extern int32_t glThumbHeight;
extern int32_t glBasketThumbWidth;
extern int32_t glBasketThumbHeight;
extern QString gstrBasketFolder;
// The metadata pane's tab: 0 EXIF, 1 IPTC.
extern uint8_t gbytMetadataTab;

// The folder of the program's temporary files.
QString TempFolder();
// Deletes the files without an extension in the temporary folder; a missing folder is no error.
void DeleteExtensionlessTempFiles();
// The zoom as the "status" panel shows it: whole percent, halves to even, then "%".
QString ZoomText(double zoom);

// Creates the control in `host`; when it is not registered, registers the Pictavo library beside
// the program and tries once more. Throws the creation error when that fails too.
void CreateImageBox(plat::com::ControlHost* host);

// Holds the single-instance lock; when another instance holds it, shows the message that says so
// and answers false. The settings and temporary files are left alone.
bool fncTakeSingleInstance(QLockFile& lock);
// The lock file's path: in $XDG_RUNTIME_DIR, or in the cache folder where that is unset.
QString InstanceLockPath();

}  // namespace shell
