#pragma once
// The abstract graphic: the common face of the bitmap and of every codec's image object.
#include <string>

namespace plat {

class TStream;

class TGraphic {
 public:
  virtual ~TGraphic() = default;

  // Copies source into this image; for a source it does not know it asks source.AssignTo.
  virtual void Assign(const TGraphic& source);
  // Called by dest's Assign for a source dest does not know; raises EConvertError
  // "Cannot assign a <source> to a <dest>" unless overridden.
  virtual void AssignTo(TGraphic& dest) const;
  virtual void Changed() {}
  virtual bool Equals(const TGraphic& other) const;
  virtual bool GetEmpty() const = 0;
  virtual int GetWidth() const = 0;
  virtual int GetHeight() const = 0;
  virtual void SetWidth(int width) = 0;
  virtual void SetHeight(int height) = 0;
  virtual bool GetTransparent() const { return transparent_; }
  virtual void SetTransparent(bool value) { transparent_ = value; }

  virtual void LoadFromStream(TStream& stream) = 0;
  virtual void SaveToStream(TStream& stream) const = 0;
  // Opens the file for reading and calls LoadFromStream.
  virtual void LoadFromFile(const std::string& path);
  // Writes through a temporary file, so a failed save leaves an existing file untouched.
  virtual void SaveToFile(const std::string& path) const;

  // Name used in conversion error messages.
  virtual std::string ClassName() const { return "TGraphic"; }

 private:
  bool transparent_ = false;
};

}  // namespace plat
