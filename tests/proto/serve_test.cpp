// The serve loop between two descriptors, over a scripted service: what it writes back, in
// which order, and how it ends.
#include "serve.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framing.h"

namespace {

// A service that answers "got BODY" (and "again BODY" for a body "twice"), answers bad input
// with "bad: WHAT", stops after "exit", and after "run" is busy for three slices.
struct Scripted {
    int slices_left = 0;
    bool exited = false;
    int write_during_work = -1;  // where the last slice writes "exit", when set
    Service service;

    Scripted() {
        service.handle = [this](std::string_view body) {
            std::vector<std::string> out{"got " + std::string(body)};
            if (body == "twice") out.push_back("again twice");
            if (body == "run") slices_left = 3;
            if (body == "exit") exited = true;
            return out;
        };
        service.bad_input = [](const std::string& error) {
            return std::vector<std::string>{"bad: " + error};
        };
        service.busy = [this] { return slices_left > 0; };
        service.work = [this] {
            slices_left--;
            if (slices_left == 0 && write_during_work >= 0) {
                std::string bytes = frame_message("exit");
                EXPECT_EQ(write(write_during_work, bytes.data(), bytes.size()),
                          static_cast<ssize_t>(bytes.size()));
            }
            return std::vector<std::string>{"slice " + std::to_string(slices_left)};
        };
        service.finished = [this] { return exited; };
    }
};

// A temporary file holding `bytes`, read from its start.
int file_with(const std::string& bytes) {
    FILE* file = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fflush(file);
    int fd = dup(fileno(file));
    std::fclose(file);
    lseek(fd, 0, SEEK_SET);
    return fd;
}

// All of a descriptor's bytes from its start.
std::string contents(int fd) {
    lseek(fd, 0, SEEK_SET);
    std::string bytes;
    char chunk[4096];
    for (ssize_t n; (n = read(fd, chunk, sizeof chunk)) > 0;)
        bytes.append(chunk, static_cast<size_t>(n));
    return bytes;
}

// The bodies framed one after another, as the loop writes them.
std::string framed(const std::vector<std::string>& bodies) {
    std::string bytes;
    for (const std::string& body : bodies) bytes += frame_message(body);
    return bytes;
}

TEST(Serve, AnswersInOrderUntilEndOfInput) {
    Scripted server;
    int input = file_with(framed({"one", "twice"}) + "Content-Length: x\r\n\r\n" + framed({"3"}));
    int output = file_with("");
    EXPECT_EQ(serve(input, output, server.service), ServeEnd::end_of_input);
    EXPECT_EQ(contents(output), framed({"got one", "got twice", "again twice",
                                        "bad: bad Content-Length value", "got 3"}));
    close(input);
    close(output);
}

TEST(Serve, StopsAtOnceWhenFinished) {
    Scripted server;
    int input = file_with(framed({"exit", "after"}));
    int output = file_with("");
    EXPECT_EQ(serve(input, output, server.service), ServeEnd::finished);
    EXPECT_EQ(contents(output), framed({"got exit"}));
    close(input);
    close(output);
}

TEST(Serve, WorksInSlicesWithoutWaitingForInput) {
    // The input stays open and empty while the slices run: a loop that waited for input
    // would never reach the last one, which sends the "exit" that ends the session.
    int pipe_ends[2];
    ASSERT_EQ(pipe(pipe_ends), 0);
    Scripted server;
    server.write_during_work = pipe_ends[1];
    std::string run = framed({"run"});
    ASSERT_EQ(write(pipe_ends[1], run.data(), run.size()), static_cast<ssize_t>(run.size()));
    int output = file_with("");
    EXPECT_EQ(serve(pipe_ends[0], output, server.service), ServeEnd::finished);
    EXPECT_EQ(contents(output), framed({"got run", "slice 2", "slice 1", "slice 0", "got exit"}));
    close(pipe_ends[0]);
    close(pipe_ends[1]);
    close(output);
}

TEST(Serve, WakesForWorkDoneOnAnotherThread) {
    // The input stays open and empty: only the nudge on the wake descriptor can bring out what
    // `woken` has, and the "exit" written after it ends the session.
    int input[2], wake[2];
    ASSERT_EQ(pipe(input), 0);
    ASSERT_EQ(pipe(wake), 0);
    Scripted server;
    server.service.wake = wake[0];
    int woken = 0;
    server.service.woken = [&] {
        woken++;
        std::string exit = framed({"exit"});
        EXPECT_EQ(write(input[1], exit.data(), exit.size()), static_cast<ssize_t>(exit.size()));
        return std::vector<std::string>{"ready"};
    };
    ASSERT_EQ(write(wake[1], "rr", 2), 2);
    int output = file_with("");
    EXPECT_EQ(serve(input[0], output, server.service), ServeEnd::finished);
    EXPECT_EQ(woken, 1);  // two nudges at once are drained together
    EXPECT_EQ(contents(output), framed({"ready", "got exit"}));
    for (int fd : {input[0], input[1], wake[0], wake[1], output}) close(fd);
}

TEST(Serve, EndsWhenTheClientGoesAway) {
    int pipe_ends[2];
    ASSERT_EQ(pipe(pipe_ends), 0);
    close(pipe_ends[0]);
    Scripted server;
    int input = file_with(framed({"one", "two"}));
    EXPECT_EQ(serve(input, pipe_ends[1], server.service), ServeEnd::write_failed);
    close(input);
    close(pipe_ends[1]);
}

}  // namespace
