#pragma once
// The platform calls of one area, behind one narrow interface: the platform's own calls unless a
// test double stands in for them. Every area that tests need to stand in for has this shape.
namespace zv {

template <typename Api>
class TSeam {
 public:
  static Api& Calls() { return standIn_ ? *standIn_ : Platform(); }
  // The platform's own calls; each area defines this once, in its source.
  static Api& Platform();

 private:
  template <typename>
  friend class TStandIn;
  static inline Api* standIn_ = nullptr;
};

// A test double: stands in for the platform's calls of its area while it lives.
template <typename Api>
class TStandIn : public Api {
 public:
  TStandIn() { TSeam<Api>::standIn_ = this; }
  ~TStandIn() override { TSeam<Api>::standIn_ = nullptr; }
  TStandIn(const TStandIn&) = delete;
  TStandIn& operator=(const TStandIn&) = delete;
};

}  // namespace zv
