// A C++ program whose function names only make sense demangled: a
// namespace, a class template, overloads, an anonymous namespace, a lambda,
// virtual calls (through a table: no call edge) and an exception thrown on a
// cold path.
#include <cstdio>

namespace geo {

struct Shape {
  virtual ~Shape() = default;
  virtual long area() const = 0;
};

struct Rect : Shape {
  long w, h;
  Rect(long w_, long h_) : w(w_), h(h_) {}
  long area() const override { return w * h; }
};

template <typename T>
class Stack {
 public:
  void push(T v) {
    if (n_ == 8) overflow();
    items_[n_++] = v;
  }
  T pop() { return n_ > 0 ? items_[--n_] : T(); }
  T sum() {
    T s = T();
    while (n_ > 0)
      s += pop();
    return s;
  }

 private:
  [[noreturn]] static void overflow() { throw n_max; }
  static constexpr int n_max = 8;
  T items_[8];
  int n_ = 0;
};

long scale(long x) {
  return x * 3;
}
double scale(double x) {
  return x * 2.5;
}

}  // namespace geo

namespace {

__attribute__((noinline)) long total_area(const geo::Shape *const *s, int n) {
  long t = 0;
  for (int i = 0; i < n; i++)
    t += s[i]->area();
  return t;
}

}  // namespace

extern "C" long checked(long x) {
  if (__builtin_expect(x < 0, 0)) {
    std::printf("negative %ld\n", x);
    throw x;
  }
  return geo::scale(x);
}

int main(int argc, char **) {
  geo::Rect a(argc, 2), b(3, argc);
  const geo::Shape *all[] = {&a, &b};
  geo::Stack<long> longs;
  geo::Stack<double> doubles;
  auto add = [&](long v) {
    longs.push(checked(v));
    doubles.push(geo::scale(double(v)));
  };
  for (int i = 0; i < argc; i++)
    add(i);
  add(total_area(all, 2));
  std::printf("%ld %g\n", longs.sum(), doubles.sum());
  return 0;
}
