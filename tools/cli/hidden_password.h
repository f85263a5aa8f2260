#pragma once
// A password given on the command line ("--journal postgresql://line:secret@db/hopper") is
// readable by every user of the machine for as long as the program runs (ps, /proc). The
// program takes its own copy of its arguments and stars the password out of the originals at
// once, as database clients do.

#include <string>
#include <vector>

namespace hopper::cli {

// Every password in `text`, in place: the part after "user:" in "scheme://user:password@…" and
// the value of "password=…", each character made '*'. The length stays, so the process's
// argument memory can be written in place. True when something was starred.
bool StarPasswords(char* text);

// A copy of the arguments for the program's own use; the originals with their passwords starred.
class HiddenArguments {
 public:
  HiddenArguments(int argc, char** argv);
  int& Count() { return argc_; }
  char** Values() { return pointers_.data(); }

 private:
  int argc_;
  std::vector<std::string> copies_;
  std::vector<char*> pointers_;
};

}  // namespace hopper::cli
