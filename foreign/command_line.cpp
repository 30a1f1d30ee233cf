#include "foreign/command_line.h"

namespace vorlan {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

class LineReader {
  public:
    explicit LineReader(std::string_view line) : line_(line) {}

    bool atEnd() const { return at_ >= line_.size(); }
    void skipBlanks() {
        while (!atEnd() && isBlank(line_[at_])) ++at_;
    }

    std::string programName() {
        std::string name;
        bool quoted = false;
        for (; !atEnd(); ++at_) {
            char c = line_[at_];
            if (c == '"') {
                quoted = !quoted;
            } else if (!quoted && isBlank(c)) {
                break;
            } else {
                name += c;
            }
        }
        return name;
    }

    std::string argument() {
        std::string arg;
        bool quoted = false;
        while (!atEnd()) {
            char c = line_[at_];
            if (!quoted && isBlank(c)) break;
            if (c == '\\') {
                backslashes(arg);
            } else if (c == '"') {
                if (quoted && at_ + 1 < line_.size() && line_[at_ + 1] == '"') {
                    arg += '"';
                    at_ += 2;
                } else {
                    quoted = !quoted;
                    ++at_;
                }
            } else {
                arg += c;
                ++at_;
            }
        }
        return arg;
    }

  private:
    // A run of backslashes: halved (and the quote after an odd run kept as
    // a character) when a quote follows, else taken as they are.
    void backslashes(std::string& arg) {
        size_t count = 0;
        while (!atEnd() && line_[at_] == '\\') {
            ++count;
            ++at_;
        }
        if (atEnd() || line_[at_] != '"') {
            arg.append(count, '\\');
            return;
        }
        arg.append(count / 2, '\\');
        if (count % 2 == 1) {
            arg += '"';
            ++at_;
        }
    }

    std::string_view line_;
    size_t at_ = 0;
};

}  // namespace

std::vector<std::string> splitCommandLine(std::string_view line) {
    std::vector<std::string> words;
    LineReader reader(line);
    reader.skipBlanks();
    if (reader.atEnd()) return words;
    words.push_back(reader.programName());
    for (reader.skipBlanks(); !reader.atEnd(); reader.skipBlanks()) {
        words.push_back(reader.argument());
    }
    return words;
}

}  // namespace vorlan
