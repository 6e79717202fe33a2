#pragma once
// TicTwain: acquisition from scanners and cameras through the TWAIN data source manager, as a
// TWAIN 1.9 application using native (packed DIB) transfers. It opens the manager, lists the
// sources, opens the chosen one lazily, reads and sets its capabilities, enables it and receives
// the source's messages through a hidden window (a QObject on the control's thread), turning
// each transferred bitmap into an image and reporting through three callbacks.
//
// Without a manager backend the object still exists: every operation answers its default.
#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "control/engine/raster/ticbitmap.h"
#include "control/engine/twain/cap_container.h"
#include "control/engine/view/image_transfer.h"
#include "platform/scan/source_manager.h"

class QWidget;

namespace pictavo {

class TicTwain {
 public:
  using Callback = std::function<void(TicTwain&)>;

  TicTwain();
  ~TicTwain();
  TicTwain(const TicTwain&) = delete;
  TicTwain& operator=(const TicTwain&) = delete;

  // Frees twain now, or, while one of its callbacks runs, as soon as the running transfer or
  // close request has ended; the callbacks are dropped at once either way.
  static void Release(std::unique_ptr<TicTwain> twain);

  // --- settings ---
  bool ShowInterface = true;
  bool ShowProgress = true;
  bool MultiImage = false;
  Callback OnImageAcquired, OnAcquireCancel, OnAcquireFinish;

  // --- sources ---
  bool ManagerLoaded() const { return manager_ != nullptr; }
  void RefreshSources();
  int GetDeviceCount() const { return static_cast<int>(source_names_.size()); }
  std::string GetDeviceName(int index) const;
  bool SelectDevice();
  void SetCurrentDevice(int index);
  int DeviceIndex() const { return device_index_; }
  void OpenSource();
  void CloseSource();
  bool SourceOpen() const { return source_open_; }
  void SetAppName(const std::string& name);
  std::string GetAppName() const;
  bool GetConnected();
  bool GetBusy() const { return source_open_ && source_enabled_; }

  // --- acquisition ---
  void Acquire();
  bool Finished() const { return finished_; }
  const TicBitmap* AcquiredImage() const;
  int ImageIndex() const { return image_index_; }
  void SetImageIndex(int n);
  int ImagesToRead() const { return images_to_read_; }
  void SetImagesToRead(int n) { images_to_read_ = n < 0 ? 0 : n; }
  int PageCount() const { return page_count_; }

  // --- capabilities ---
  bool GetADFLoaded();
  bool GetHasADF();
  bool GetUseADF();
  void SetUseADF(bool value);
  bool GetAutoBright();
  void SetAutoBright(bool value);
  bool GetAutoDeskew();
  void SetAutoDeskew(bool value);
  bool GetDuplexEnabled();
  void SetDuplexEnabled(bool value);
  int GetDuplexSupported();
  bool GetCanDisableInterface();
  double GetMaxWidth();
  double GetMaxHeight();
  double GetThreshold();
  void SetThreshold(double value);
  int GetPixelType();
  bool GetPixelTypeAllowed(int type);
  void SetPixelType(int type);
  int GetUnits();
  bool GetUnitsAllowed(int unit);
  void SetUnits(int unit);
  void ClearPage();

  // A value with its range, read from the device into a cache until a close or a unit change.
  enum TRangeValue { rvMin, rvMax, rvStep, rvCurrent };
  enum TRangeCap { rcBrightness, rcContrast, rcXResolution, rcYResolution };
  double GetRange(TRangeCap cap, TRangeValue which);
  void SetRange(TRangeCap cap, double value);
  void SetResolution(double value);

  enum TEdge { edLeft, edTop, edRight, edBottom };
  double GetEdge(TEdge edge);
  void SetEdge(TEdge edge, double value);
  void SetLayout(double left, double right, double top, double bottom);

 private:
  class Window;
  struct ListCache {
    bool filled = false, choice = false;
    std::vector<bool> offered;
  };
  struct RangeCache {
    bool filled = false, choice = false;
    double values[4] = {-1, -1, -1, -1};
  };

  uint16_t Call(plat::scan::TW_IDENTITY* destination, uint32_t group, uint16_t data_type,
                uint16_t message, void* data);
  uint16_t Control(uint16_t data_type, uint16_t message, void* data);
  void SelectSourceByIndex();
  bool FindSource(int index, plat::scan::TW_IDENTITY& identity);
  TCapReply GetCap(uint16_t cap);
  void SetCap(uint16_t cap, uint16_t item_type, uint32_t value);
  bool GetBool(uint16_t cap);
  double GetFix32OneValue(uint16_t cap);
  int ReadList(uint16_t cap, ListCache& cache, int limit);
  bool ListAllowed(ListCache& cache, uint16_t cap, int limit, int value);
  void ReadRange(TRangeCap cap);
  void ResetCaches();
  bool ReadLayout();
  void WriteLayout();

  void WindowProc(QEvent* event);
  void HandleCloseRequest();
  void TransferImages();
  bool TransferOne();
  bool TransferNativeImage(plat::scan::TW_HANDLE handle);
  void EndAcquisition();
  void Notify(const Callback& callback);
  void ActivateRemembered();

  std::unique_ptr<Window> window_;
  std::unique_ptr<plat::scan::TSourceManager> manager_;
  plat::scan::TW_IDENTITY app_identity_{};
  std::vector<std::string> source_names_;
  bool source_enabled_ = false;
  plat::scan::TW_IDENTITY source_identity_{};
  plat::scan::TW_USERINTERFACE user_interface_{};
  std::unique_ptr<TicBitmap> image_;
  bool finished_ = true;
  int device_index_ = -1;
  bool source_open_ = false;
  ListCache pixel_types_, units_;
  RangeCache ranges_[4];
  plat::scan::TW_IMAGELAYOUT layout_{};
  bool selecting_ = false;
  int images_to_read_ = 0;
  int image_index_ = 1;
  int page_count_ = 0;
  QWidget* remembered_window_ = nullptr;
  int dispatching_ = 0;
  bool release_pending_ = false;
};

// The first 34 characters of a TW_STR32 field.
std::string TwainString(const char (&field)[34]);

// Whether a source of this name delivers 1-bit images with a white-first table whose bits
// nevertheless mean 0 = black.
bool KeepsBitsOfWhiteFirstTable(const std::string& product_name);

}  // namespace pictavo
