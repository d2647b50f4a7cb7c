// Points, vectors, scale factors and transformation matrices of the CAD runtime.
#pragma once

namespace zrcad {
inline constexpr double kGeTol = 1e-10;
}

class AcGeMatrix3d;

class AcGeVector3d {
 public:
  AcGeVector3d() = default;
  AcGeVector3d(double xx, double yy, double zz) : x(xx), y(yy), z(zz) {}

  static const AcGeVector3d kIdentity;
  static const AcGeVector3d kXAxis;
  static const AcGeVector3d kYAxis;
  static const AcGeVector3d kZAxis;

  double length() const;
  AcGeVector3d normal() const;  // unit vector; the zero vector stays zero
  double dotProduct(const AcGeVector3d& v) const { return x * v.x + y * v.y + z * v.z; }
  AcGeVector3d crossProduct(const AcGeVector3d& v) const;
  bool isZeroLength() const { return length() <= zrcad::kGeTol; }
  AcGeVector3d& transformBy(const AcGeMatrix3d& m);  // the linear part only

  AcGeVector3d operator+(const AcGeVector3d& v) const { return {x + v.x, y + v.y, z + v.z}; }
  AcGeVector3d operator-(const AcGeVector3d& v) const { return {x - v.x, y - v.y, z - v.z}; }
  AcGeVector3d operator-() const { return {-x, -y, -z}; }
  AcGeVector3d operator*(double s) const { return {x * s, y * s, z * s}; }
  bool operator==(const AcGeVector3d& v) const { return x == v.x && y == v.y && z == v.z; }
  bool isEqualTo(const AcGeVector3d& v, double tol = 1e-9) const;

  double x = 0, y = 0, z = 0;
};

class AcGePoint3d {
 public:
  AcGePoint3d() = default;
  AcGePoint3d(double xx, double yy, double zz) : x(xx), y(yy), z(zz) {}

  static const AcGePoint3d kOrigin;

  double distanceTo(const AcGePoint3d& p) const;
  AcGePoint3d& transformBy(const AcGeMatrix3d& m);
  bool isEqualTo(const AcGePoint3d& p, double tol = 1e-9) const;
  AcGeVector3d asVector() const { return {x, y, z}; }

  AcGePoint3d operator+(const AcGeVector3d& v) const { return {x + v.x, y + v.y, z + v.z}; }
  AcGePoint3d operator-(const AcGeVector3d& v) const { return {x - v.x, y - v.y, z - v.z}; }
  AcGeVector3d operator-(const AcGePoint3d& p) const { return {x - p.x, y - p.y, z - p.z}; }
  AcGePoint3d& operator+=(const AcGeVector3d& v);
  bool operator==(const AcGePoint3d& p) const { return x == p.x && y == p.y && z == p.z; }
  bool operator!=(const AcGePoint3d& p) const { return !(*this == p); }
  double operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }
  double& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }

  double x = 0, y = 0, z = 0;
};

class AcGePoint2d {
 public:
  AcGePoint2d() = default;
  AcGePoint2d(double xx, double yy) : x(xx), y(yy) {}
  bool operator==(const AcGePoint2d& p) const { return x == p.x && y == p.y; }
  double x = 0, y = 0;
};

class AcGeScale3d {
 public:
  AcGeScale3d() = default;
  explicit AcGeScale3d(double s) : sx(s), sy(s), sz(s) {}
  AcGeScale3d(double x, double y, double z) : sx(x), sy(y), sz(z) {}
  bool operator==(const AcGeScale3d& s) const { return sx == s.sx && sy == s.sy && sz == s.sz; }
  double operator[](int i) const { return i == 0 ? sx : (i == 1 ? sy : sz); }
  double sx = 1, sy = 1, sz = 1;
};

// A 4x4 affine transform, row-major: p' = M * p with the translation in column 3.
class AcGeMatrix3d {
 public:
  AcGeMatrix3d();  // identity

  static const AcGeMatrix3d kIdentity;
  static AcGeMatrix3d translation(const AcGeVector3d& v);
  static AcGeMatrix3d rotation(double angle, const AcGeVector3d& axis,
                               const AcGePoint3d& center = AcGePoint3d::kOrigin);
  static AcGeMatrix3d scaling(double s, const AcGePoint3d& center = AcGePoint3d::kOrigin);
  static AcGeMatrix3d scaling(const AcGeScale3d& s,
                              const AcGePoint3d& center = AcGePoint3d::kOrigin);

  AcGeMatrix3d& setToIdentity();
  AcGeMatrix3d& setToTranslation(const AcGeVector3d& v);
  AcGeMatrix3d& setToRotation(double angle, const AcGeVector3d& axis,
                              const AcGePoint3d& center = AcGePoint3d::kOrigin);
  AcGeMatrix3d& setToScaling(double s, const AcGePoint3d& center = AcGePoint3d::kOrigin);
  AcGeMatrix3d& setToProduct(const AcGeMatrix3d& a, const AcGeMatrix3d& b);
  AcGeMatrix3d& preMultBy(const AcGeMatrix3d& left);
  AcGeMatrix3d& postMultBy(const AcGeMatrix3d& right);

  AcGeMatrix3d operator*(const AcGeMatrix3d& m) const;
  AcGeMatrix3d& operator*=(const AcGeMatrix3d& m) { return postMultBy(m); }
  bool isEqualTo(const AcGeMatrix3d& m, double tol = 1e-9) const;

  // Largest stretch of the linear part (the scale a circle radius takes).
  double scale() const;
  // True when the linear part scales every direction alike (rotations and uniform scales).
  bool isUniScaledOrtho(double tol = 1e-9) const;
  double det() const;
  AcGeVector3d translation() const { return {entry[0][3], entry[1][3], entry[2][3]}; }

  double entry[4][4];
};

inline AcGePoint3d operator*(const AcGeMatrix3d& m, const AcGePoint3d& p) {
  AcGePoint3d r(p);
  return r.transformBy(m);
}
inline AcGeVector3d operator*(const AcGeMatrix3d& m, const AcGeVector3d& v) {
  AcGeVector3d r(v);
  return r.transformBy(m);
}
