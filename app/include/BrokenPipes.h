// Writes to a pipe whose reader has gone fail, instead of ending the program.
#pragma once

/** SIGPIPE's default action would end the program at the first line it writes after the reader
    of its output went (`pellaro | tee run.log`, and tee ended by a Ctrl-C that the program
    refused), in the middle of a speaker write too. */
class BrokenPipes
{
public:
    /** From now until the process ends, SIGPIPE does nothing: a write to a pipe or socket whose
        reader has gone fails with EPIPE, and a console line is dropped (the log file still gets
        the log's lines). A handler that does nothing, not SIG_IGN, which programs started from
        here would inherit. Call first thing in main; any thread. */
    static void letWritesFail() noexcept;
};
