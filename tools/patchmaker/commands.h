// patchmaker's commands. Each takes the arguments after its own name and
// returns the process exit status (see report.h).
#ifndef PATCHMAKER_COMMANDS_H
#define PATCHMAKER_COMMANDS_H

int RunPack(int argc, char** argv);
int RunList(int argc, char** argv);
int RunExtract(int argc, char** argv);
int RunTest(int argc, char** argv);

extern const char kPackUsage[];
extern const char kListUsage[];
extern const char kExtractUsage[];
extern const char kTestUsage[];

// 1 when the argument asks for a command's help.
bool IsHelpOption(const char* argument);

#endif
