// Points, vectors and affine transforms.
#include "cad/db/ge_geometry.h"

#include <cmath>
#include <initializer_list>

const AcGeVector3d AcGeVector3d::kIdentity(0, 0, 0);
const AcGeVector3d AcGeVector3d::kXAxis(1, 0, 0);
const AcGeVector3d AcGeVector3d::kYAxis(0, 1, 0);
const AcGeVector3d AcGeVector3d::kZAxis(0, 0, 1);
const AcGePoint3d AcGePoint3d::kOrigin(0, 0, 0);
const AcGeMatrix3d AcGeMatrix3d::kIdentity;

double AcGeVector3d::length() const { return std::sqrt(x * x + y * y + z * z); }

AcGeVector3d AcGeVector3d::normal() const {
  double len = length();
  return len > zrcad::kGeTol ? AcGeVector3d(x / len, y / len, z / len) : AcGeVector3d();
}

AcGeVector3d AcGeVector3d::crossProduct(const AcGeVector3d& v) const {
  return {y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x};
}

AcGeVector3d& AcGeVector3d::transformBy(const AcGeMatrix3d& m) {
  const auto& e = m.entry;
  AcGeVector3d r(e[0][0] * x + e[0][1] * y + e[0][2] * z, e[1][0] * x + e[1][1] * y + e[1][2] * z,
                 e[2][0] * x + e[2][1] * y + e[2][2] * z);
  *this = r;
  return *this;
}

bool AcGeVector3d::isEqualTo(const AcGeVector3d& v, double tol) const {
  return (*this - v).length() <= tol;
}

double AcGePoint3d::distanceTo(const AcGePoint3d& p) const { return (*this - p).length(); }

AcGePoint3d& AcGePoint3d::transformBy(const AcGeMatrix3d& m) {
  const auto& e = m.entry;
  AcGePoint3d r(e[0][0] * x + e[0][1] * y + e[0][2] * z + e[0][3],
                e[1][0] * x + e[1][1] * y + e[1][2] * z + e[1][3],
                e[2][0] * x + e[2][1] * y + e[2][2] * z + e[2][3]);
  *this = r;
  return *this;
}

bool AcGePoint3d::isEqualTo(const AcGePoint3d& p, double tol) const { return distanceTo(p) <= tol; }

AcGePoint3d& AcGePoint3d::operator+=(const AcGeVector3d& v) {
  x += v.x;
  y += v.y;
  z += v.z;
  return *this;
}

AcGeMatrix3d::AcGeMatrix3d() { setToIdentity(); }

AcGeMatrix3d& AcGeMatrix3d::setToIdentity() {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) entry[r][c] = r == c ? 1.0 : 0.0;
  return *this;
}

AcGeMatrix3d AcGeMatrix3d::translation(const AcGeVector3d& v) {
  AcGeMatrix3d m;
  return m.setToTranslation(v);
}

AcGeMatrix3d& AcGeMatrix3d::setToTranslation(const AcGeVector3d& v) {
  setToIdentity();
  entry[0][3] = v.x;
  entry[1][3] = v.y;
  entry[2][3] = v.z;
  return *this;
}

AcGeMatrix3d AcGeMatrix3d::rotation(double angle, const AcGeVector3d& axis,
                                    const AcGePoint3d& center) {
  AcGeMatrix3d m;
  return m.setToRotation(angle, axis, center);
}

// Rodrigues' formula about the unit axis, then conjugated by the move to the centre.
AcGeMatrix3d& AcGeMatrix3d::setToRotation(double angle, const AcGeVector3d& axis,
                                          const AcGePoint3d& center) {
  AcGeVector3d u = axis.normal();
  if (u.isZeroLength()) u = AcGeVector3d::kZAxis;
  double c = std::cos(angle), s = std::sin(angle), t = 1 - c;
  setToIdentity();
  entry[0][0] = t * u.x * u.x + c;
  entry[0][1] = t * u.x * u.y - s * u.z;
  entry[0][2] = t * u.x * u.z + s * u.y;
  entry[1][0] = t * u.x * u.y + s * u.z;
  entry[1][1] = t * u.y * u.y + c;
  entry[1][2] = t * u.y * u.z - s * u.x;
  entry[2][0] = t * u.x * u.z - s * u.y;
  entry[2][1] = t * u.y * u.z + s * u.x;
  entry[2][2] = t * u.z * u.z + c;
  AcGeVector3d cv = center.asVector();
  AcGeVector3d moved = cv - (*this * cv);
  entry[0][3] = moved.x;
  entry[1][3] = moved.y;
  entry[2][3] = moved.z;
  return *this;
}

AcGeMatrix3d AcGeMatrix3d::scaling(double s, const AcGePoint3d& center) {
  return scaling(AcGeScale3d(s), center);
}

AcGeMatrix3d AcGeMatrix3d::scaling(const AcGeScale3d& s, const AcGePoint3d& center) {
  AcGeMatrix3d m;
  m.entry[0][0] = s.sx;
  m.entry[1][1] = s.sy;
  m.entry[2][2] = s.sz;
  m.entry[0][3] = center.x * (1 - s.sx);
  m.entry[1][3] = center.y * (1 - s.sy);
  m.entry[2][3] = center.z * (1 - s.sz);
  return m;
}

AcGeMatrix3d& AcGeMatrix3d::setToScaling(double s, const AcGePoint3d& center) {
  *this = scaling(s, center);
  return *this;
}

AcGeMatrix3d& AcGeMatrix3d::setToProduct(const AcGeMatrix3d& a, const AcGeMatrix3d& b) {
  double r[4][4];
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += a.entry[i][k] * b.entry[k][j];
      r[i][j] = sum;
    }
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) entry[i][j] = r[i][j];
  return *this;
}

AcGeMatrix3d& AcGeMatrix3d::preMultBy(const AcGeMatrix3d& left) {
  return setToProduct(left, *this);
}

AcGeMatrix3d& AcGeMatrix3d::postMultBy(const AcGeMatrix3d& right) {
  return setToProduct(*this, right);
}

AcGeMatrix3d AcGeMatrix3d::operator*(const AcGeMatrix3d& m) const {
  AcGeMatrix3d r;
  return r.setToProduct(*this, m);
}

bool AcGeMatrix3d::isEqualTo(const AcGeMatrix3d& m, double tol) const {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      if (std::fabs(entry[i][j] - m.entry[i][j]) > tol) return false;
  return true;
}

double AcGeMatrix3d::scale() const {
  double best = 0;
  for (const AcGeVector3d& axis :
       {AcGeVector3d::kXAxis, AcGeVector3d::kYAxis, AcGeVector3d::kZAxis}) {
    double len = (*this * axis).length();
    if (len > best) best = len;
  }
  return best;
}

bool AcGeMatrix3d::isUniScaledOrtho(double tol) const {
  AcGeVector3d x = *this * AcGeVector3d::kXAxis, y = *this * AcGeVector3d::kYAxis,
               z = *this * AcGeVector3d::kZAxis;
  double lx = x.length();
  return std::fabs(y.length() - lx) <= tol * (1 + lx) &&
         std::fabs(z.length() - lx) <= tol * (1 + lx) &&
         std::fabs(x.dotProduct(y)) <= tol * (1 + lx * lx) &&
         std::fabs(x.dotProduct(z)) <= tol * (1 + lx * lx) &&
         std::fabs(y.dotProduct(z)) <= tol * (1 + lx * lx);
}

double AcGeMatrix3d::det() const {
  const auto& e = entry;
  return e[0][0] * (e[1][1] * e[2][2] - e[1][2] * e[2][1]) -
         e[0][1] * (e[1][0] * e[2][2] - e[1][2] * e[2][0]) +
         e[0][2] * (e[1][0] * e[2][1] - e[1][1] * e[2][0]);
}
