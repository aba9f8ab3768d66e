// 4 x 4 matrices stored as OpenGL stores them, column by column, and the
// transforms of OpenGL 1.1 and GLU that build them. No OpenGL calls here, so
// the tests check them natively against a real OpenGL's matrices.
#pragma once

#include <array>

namespace webgl {

using Matrix = std::array<float, 16>;
using Vector = std::array<float, 4>;

constexpr Matrix kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// a × b: b's transform first, as glMultMatrix applies it.
Matrix multiply(const Matrix& a, const Matrix& b);
Vector transform(const Matrix& m, const Vector& v);

// glRotatef: `angle` degrees about the axis (x, y, z), which need not be of unit length.
Matrix rotation(float angle, float x, float y, float z);
// glTranslatef.
Matrix translation(float x, float y, float z);
// gluPerspective: `fovy` degrees of vertical field of view.
Matrix perspective(double fovy, double aspect, double zNear, double zFar);
// gluLookAt: the eye at `eye`, looking at `centre`, with `up` upwards.
Matrix lookAt(const std::array<double, 3>& eye, const std::array<double, 3>& centre,
              const std::array<double, 3>& up);

// The matrix that takes normals to eye coordinates under the modelview matrix
// `m`: the inverse transpose of its upper-left 3 × 3, column by column.
std::array<float, 9> normalMatrix(const Matrix& m);

}  // namespace webgl
