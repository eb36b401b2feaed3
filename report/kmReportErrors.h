#pragma once
// Errors of the report component.

#include "kmException.h"
#include <string>

namespace km {

// Base of the report component's errors; the message is the whole text.
class EfrxError : public EkmError {
 public:
  explicit EfrxError(const std::string& message) : EkmError(message) {}
};

// A template that cannot be read: malformed XML or an impossible value. The
// message names the source (file name) and the line: "Test.fr3:12: ...".
class EfrxTemplateError : public EfrxError {
 public:
  EfrxTemplateError(const std::string& source, int line, const std::string& what)
      : EfrxError(source + ":" + std::to_string(line) + ": " + what), source_(source), line_(line) {}
  const std::string& Source() const { return source_; }
  int Line() const { return line_; }

 private:
  std::string source_;
  int line_;
};

}  // namespace km
