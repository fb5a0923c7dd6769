#pragma once

// Boards started through Startup in one test program would otherwise resume each other's games
// from the user's record file.

class Startup;

// Gives each board `startup` opens a record file of its own, in a folder that lasts the run.
void givePrivateRecord(Startup& startup);
