#include "app/tasks/bitmap_merge.h"

#include "platform/graphics/handles.h"

namespace tasks {

namespace {

// A control with ReleaseBMPHandle on deletes the handle it took; one with it off leaves that to
// us. Deleting a handle already gone is harmless: handle numbers are never reused.
class TemporaryHandle {
 public:
  explicit TemporaryHandle(plat::THandle handle) : handle_(handle) {}
  explicit TemporaryHandle(const plat::TBitmap& picture)
      : handle_(plat::NewBitmapHandle(picture)) {}
  ~TemporaryHandle() { plat::DeleteBitmapHandle(handle_); }
  TemporaryHandle(const TemporaryHandle&) = delete;
  TemporaryHandle& operator=(const TemporaryHandle&) = delete;
  int32_t Value() const { return static_cast<int32_t>(handle_); }

 private:
  plat::THandle handle_;
};

}  // namespace

void MergeBitmap(pictavo::ax::ImageBoxProxy& box, const plat::TBitmap& picture) {
  const TemporaryHandle handle(picture);
  box.MergeHandle(handle.Value());
}

void MergeControlImage(pictavo::ax::ImageBoxProxy& box, pictavo::ax::ImageBoxProxy& source) {
  const TemporaryHandle handle(static_cast<plat::THandle>(source.get_BMPHandle()));
  box.MergeHandle(handle.Value());
}

void LoadBitmap(pictavo::ax::ImageBoxProxy& box, const plat::TBitmap& picture) {
  const TemporaryHandle handle(picture);
  box.put_BMPHandle(handle.Value());
}

}  // namespace tasks
