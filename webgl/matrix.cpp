#include "matrix.h"

#include <cmath>

namespace webgl {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Element (row, column) of a column-by-column matrix.
float& at(Matrix& m, int row, int column) {
    return m[column * 4 + row];
}

// Scales a 3-vector to unit length, as GLU does, in single precision.
std::array<float, 3> unit(std::array<float, 3> v) {
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length == 0) return v;
    return {v[0] / length, v[1] / length, v[2] / length};
}

std::array<float, 3> cross(const std::array<float, 3>& a, const std::array<float, 3>& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

}  // namespace

Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix product{};
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) sum += a[k * 4 + row] * b[column * 4 + k];
            product[column * 4 + row] = sum;
        }
    return product;
}

Vector transform(const Matrix& m, const Vector& v) {
    Vector out{};
    for (int row = 0; row < 4; ++row)
        for (int k = 0; k < 4; ++k) out[row] += m[k * 4 + row] * v[k];
    return out;
}

Matrix rotation(float angle, float x, float y, float z) {
    const auto [ux, uy, uz] = unit({x, y, z});
    const float radians = static_cast<float>(angle * kPi / 180);
    const float c = std::cos(radians), s = std::sin(radians), t = 1 - c;
    Matrix m = kIdentity;
    at(m, 0, 0) = ux * ux * t + c;
    at(m, 0, 1) = ux * uy * t - uz * s;
    at(m, 0, 2) = ux * uz * t + uy * s;
    at(m, 1, 0) = uy * ux * t + uz * s;
    at(m, 1, 1) = uy * uy * t + c;
    at(m, 1, 2) = uy * uz * t - ux * s;
    at(m, 2, 0) = uz * ux * t - uy * s;
    at(m, 2, 1) = uz * uy * t + ux * s;
    at(m, 2, 2) = uz * uz * t + c;
    return m;
}

Matrix translation(float x, float y, float z) {
    Matrix m = kIdentity;
    m[12] = x;
    m[13] = y;
    m[14] = z;
    return m;
}

Matrix perspective(double fovy, double aspect, double zNear, double zFar) {
    const double radians = fovy / 2 * kPi / 180, depth = zFar - zNear;
    const double cotangent = std::cos(radians) / std::sin(radians);
    Matrix m{};
    at(m, 0, 0) = static_cast<float>(cotangent / aspect);
    at(m, 1, 1) = static_cast<float>(cotangent);
    at(m, 2, 2) = static_cast<float>(-(zFar + zNear) / depth);
    at(m, 3, 2) = -1;
    at(m, 2, 3) = static_cast<float>(-2 * zNear * zFar / depth);
    return m;
}

Matrix lookAt(const std::array<double, 3>& eye, const std::array<double, 3>& centre,
              const std::array<double, 3>& up) {
    const auto f = [](double d) { return static_cast<float>(d); };
    const std::array<float, 3> forward =
        unit({f(centre[0] - eye[0]), f(centre[1] - eye[1]), f(centre[2] - eye[2])});
    const std::array<float, 3> side = unit(cross(forward, {f(up[0]), f(up[1]), f(up[2])}));
    const std::array<float, 3> upward = cross(side, forward);
    Matrix m = kIdentity;
    for (int i = 0; i < 3; ++i) {
        at(m, 0, i) = side[i];
        at(m, 1, i) = upward[i];
        at(m, 2, i) = -forward[i];
    }
    return multiply(m, translation(f(-eye[0]), f(-eye[1]), f(-eye[2])));
}

std::array<float, 9> normalMatrix(const Matrix& m) {
    // The cofactors of the upper-left 3 × 3 over its determinant: its inverse,
    // transposed. a(r, c) is element (r, c).
    const auto a = [&](int r, int c) { return m[c * 4 + r]; };
    const auto cofactor = [&](int r, int c) {
        const int r1 = (r + 1) % 3, r2 = (r + 2) % 3, c1 = (c + 1) % 3, c2 = (c + 2) % 3;
        return a(r1, c1) * a(r2, c2) - a(r1, c2) * a(r2, c1);
    };
    const float determinant =
        a(0, 0) * cofactor(0, 0) + a(0, 1) * cofactor(0, 1) + a(0, 2) * cofactor(0, 2);
    std::array<float, 9> n{};
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r) n[c * 3 + r] = determinant ? cofactor(r, c) / determinant : 0;
    return n;
}

}  // namespace webgl
