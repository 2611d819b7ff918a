// Scoped holders of Drawbot objects (pens, brushes, fonts, paths) and the exception a failed make
// raises. A holder makes its object from the supplier on construction and releases it with the
// supplier suite's ReleaseObject on destruction, on every path out, exceptions included.
#pragma once

#include <cstdio>
#include <exception>

#include "sdk/drawbot.h"

// Raised when the supplier cannot make an object; carries the Drawbot error code. The entry point
// catches it like every other exception and answers the host with a bad-parameter error.
class DRAWBOT_Exception : public std::exception {
 public:
  explicit DRAWBOT_Exception(A_Err error) : error_(error) {
    std::snprintf(text_, sizeof(text_), "Drawbot error %d", static_cast<int>(error));
  }
  A_Err error() const noexcept { return error_; }
  const char* what() const noexcept override { return text_; }

 private:
  A_Err error_;
  char text_[32];
};

// Owner of one Drawbot object. Construction throws DRAWBOT_Exception when the make reports an
// error or hands out no object. Destruction never throws: a failed release is ignored, as nothing
// could be done about it on the way out of a drawing call.
class DRAWBOT_ObjectHolder {
 public:
  DRAWBOT_ObjectHolder(const DRAWBOT_ObjectHolder&) = delete;
  DRAWBOT_ObjectHolder& operator=(const DRAWBOT_ObjectHolder&) = delete;
  ~DRAWBOT_ObjectHolder() {
    if (object_ && suite_ && suite_->ReleaseObject) suite_->ReleaseObject(object_);
  }

  DRAWBOT_ObjectRef Get() const noexcept { return object_; }

 protected:
  explicit DRAWBOT_ObjectHolder(const DRAWBOT_SupplierSuite1* suite) : suite_(suite) {}
  // Takes the result of a make: keeps the object, or throws for an error or a null object.
  void Take(A_Err error, DRAWBOT_ObjectRef object) {
    if (error == A_Err_NONE && object) {
      object_ = object;
      return;
    }
    if (object && suite_->ReleaseObject) suite_->ReleaseObject(object);
    throw DRAWBOT_Exception(error != A_Err_NONE ? error : A_Err_GENERIC);
  }
  const DRAWBOT_SupplierSuite1* suite() const { return suite_; }

 private:
  const DRAWBOT_SupplierSuite1* suite_;
  DRAWBOT_ObjectRef object_ = nullptr;
};

// A pen of `color` and `size` pixels.
class DRAWBOT_PenP : public DRAWBOT_ObjectHolder {
 public:
  DRAWBOT_PenP(const DRAWBOT_SupplierSuite1* suite, DRAWBOT_SupplierRef supplier,
               const DRAWBOT_ColorRGBA* color, float size)
      : DRAWBOT_ObjectHolder(suite) {
    DRAWBOT_PenRef pen = nullptr;
    const A_Err err = suite->NewPen(supplier, color, size, &pen);
    Take(err, pen);
  }
};

// A brush of `color`.
class DRAWBOT_BrushP : public DRAWBOT_ObjectHolder {
 public:
  DRAWBOT_BrushP(const DRAWBOT_SupplierSuite1* suite, DRAWBOT_SupplierRef supplier,
                 const DRAWBOT_ColorRGBA* color)
      : DRAWBOT_ObjectHolder(suite) {
    DRAWBOT_BrushRef brush = nullptr;
    const A_Err err = suite->NewBrush(supplier, color, &brush);
    Take(err, brush);
  }
};

// The supplier's default font at `size` points.
class DRAWBOT_FontP : public DRAWBOT_ObjectHolder {
 public:
  DRAWBOT_FontP(const DRAWBOT_SupplierSuite1* suite, DRAWBOT_SupplierRef supplier, float size)
      : DRAWBOT_ObjectHolder(suite) {
    DRAWBOT_FontRef font = nullptr;
    const A_Err err = suite->NewDefaultFont(supplier, size, &font);
    Take(err, font);
  }
};

// An empty path.
class DRAWBOT_PathP : public DRAWBOT_ObjectHolder {
 public:
  DRAWBOT_PathP(const DRAWBOT_SupplierSuite1* suite, DRAWBOT_SupplierRef supplier)
      : DRAWBOT_ObjectHolder(suite) {
    DRAWBOT_PathRef path = nullptr;
    const A_Err err = suite->NewPath(supplier, &path);
    Take(err, path);
  }
};
