// A program linked the default way, with the C++ run time as a DLL: the
// import check must refuse it.
#include <string>

int main(int argc, char**) {
  std::string text(static_cast<size_t>(argc), 'x');
  text += "y";
  return static_cast<int>(text.size());
}
