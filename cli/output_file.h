// Outputs appear whole or not at all: everything is written to a temporary file in the output's own
// folder (so the final rename stays on one file system and is atomic) and renamed into place only
// when the command succeeds. "-" stands for standard output, which is written directly.
#ifndef ORVANE_CLI_OUTPUT_FILE_H
#define ORVANE_CLI_OUTPUT_FILE_H

#include <cstdio>
#include <string>

namespace orvcli {

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();  // removes the temporary file unless committed
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // Creates the temporary file, keeping the final name's extension (ffmpeg picks the container
    // from it). False with a message when the folder cannot take it.
    bool Open(const std::string &path, std::string *error);
    bool IsStdout() const { return toStdout; }
    int Fd() const { return fd; }
    const std::string &TempPath() const { return temp; }
    // Closes the temporary file without renaming it (for a writer that reopens it by name).
    void CloseFd();

    // Gives the file the permissions a new file gets (umask applied) and renames it into place.
    bool Commit(std::string *error);
    // Removes the temporary file now.
    void Discard();

private:
    std::string final;
    std::string temp;
    int fd = -1;
    bool toStdout = false;
    bool committed = false;
    int interruptSlot = -1;  // where the interrupt handler finds the temporary file
};

// True when `output` names the same file as `input` (same path once resolved, or same device and
// inode, so hard links count too).
bool SameFile(const std::string &input, const std::string &output);

// The extension of a file name including its dot (".mp4"), or "" when it has none.
std::string Extension(const std::string &path);

}  // namespace orvcli

#endif
