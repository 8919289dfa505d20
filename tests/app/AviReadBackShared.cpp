// The AVI reader of the AVI-file tests, shared here.
#include "platform/avifile/AviReadBack.cpp"
