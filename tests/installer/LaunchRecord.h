#pragma once

// For the stand-ins the installer starts: records how this process was started, as JSON
// {"argv": [...], "cwd": "..."}, in the file named by the environment variable. Gives the process's
// exit code: 0 when recorded.
int RecordLaunch(const wchar_t* recordVariable);
