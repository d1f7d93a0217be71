// qor-ticket: translates a ticket file exactly as the driver would and prints the command document,
// so a point-of-sale integrator can check tickets without a register.
//
//   qor-ticket translate [--ecr-type N] [--description-check] [--encoding NAME] FILE
//
// The ticket is read in the encoding the driver's "TicketEncoding" setting names (UTF-8 unless
// given); the document is printed in UTF-8, as the driver writes it.
// Exit status: 0 translated (document on standard output), 22 a record was rejected (one line on
// standard error: file, line number and reason; nothing on standard output), 1 the file cannot be
// read, 2 bad usage.

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "driver/tickets/ticket_lines.h"
#include "driver/tickets/translator.h"
#include "platform/text_encoding.h"
#include "platform/text_file.h"

namespace {

constexpr int kExitTranslated = 0;
constexpr int kExitUnreadable = 1;
constexpr int kExitUsage = 2;
constexpr int kExitRejected = 22;

struct Options {
  std::int32_t ecrType = 1;
  bool descriptionCheck = false;
  platform::CTextEncoding encoding = platform::CTextEncoding::Utf8();
  std::string file;
};

int Usage() {
  std::fprintf(stderr,
               "usage: qor-ticket translate [--ecr-type N] [--description-check] [--encoding NAME] FILE\n"
               "  Translates a ticket file into the command document the driver would execute.\n"
               "  --ecr-type N          register type 0, 1, 2 or 3 (default 1)\n"
               "  --description-check   cut descriptions to the register's width\n"
               "  --encoding NAME       the tickets' encoding, as TicketEncoding= in QorDriver.ini:\n"
               "                        UTF-8 (default) or a single-byte code page (CP1253, ISO-8859-7, CP1252)\n");
  return kExitUsage;
}

std::optional<Options> ParseArguments(int argc, char** argv) {
  if (argc < 3 || std::string(argv[1]) != "translate") return std::nullopt;
  Options options;
  for (int i = 2; i < argc; ++i) {
    std::string argument = argv[i];
    if (argument == "--description-check") {
      options.descriptionCheck = true;
    } else if (argument == "--ecr-type" && i + 1 < argc) {
      char* end = nullptr;
      long type = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || type < 0 || type > 3) return std::nullopt;
      options.ecrType = static_cast<std::int32_t>(type);
    } else if (argument == "--encoding" && i + 1 < argc) {
      std::optional<platform::CTextEncoding> encoding = platform::CTextEncoding::Named(argv[++i]);
      if (!encoding) {
        std::fprintf(stderr, "qor-ticket: %s is neither UTF-8 nor a single-byte code page this system knows\n", argv[i]);
        return std::nullopt;
      }
      options.encoding = std::move(*encoding);
    } else if (argument.rfind("--", 0) == 0 || !options.file.empty()) {
      return std::nullopt;
    } else {
      options.file = argument;
    }
  }
  if (options.file.empty()) return std::nullopt;
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  // The driver's debug log would repeat what the reason line says.
  ::setenv("QOR_DEBUG_LOG", "0", 1);
  std::optional<Options> options = ParseArguments(argc, argv);
  if (!options) return Usage();
  std::optional<std::string> text = platform::ReadWholeFile(options->file);
  if (!text) {
    std::fprintf(stderr, "qor-ticket: cannot read %s\n", options->file.c_str());
    return kExitUnreadable;
  }

  if (text->size() > driver::kMaxTicketBytes) {
    std::fprintf(stderr, "%s: rejected: ticket larger than %zu bytes\n", options->file.c_str(), driver::kMaxTicketBytes);
    return kExitRejected;
  }
  std::vector<std::string> elements;
  driver::CTicketLines lines(*text, options->encoding);
  while (std::optional<driver::TicketRecord> record = lines.Next()) {
    std::string reason = driver::RecordFaultReason(*record, options->encoding);
    std::string element;
    if (record->fault == driver::RecordFault::None)
      element = driver::TranslateRecordExplained(record->code, record->data, options->ecrType,
                                                 options->descriptionCheck, reason);
    if (element.empty()) {
      std::fprintf(stderr, "%s:%d: rejected: %s\n", options->file.c_str(), record->lineNumber, reason.c_str());
      return kExitRejected;
    }
    elements.push_back(std::move(element));
  }
  for (const std::string& element : elements) std::printf("%s\n", element.c_str());
  return kExitTranslated;
}
