/* A library with only some of the audio library's functions, for the
 * loader's test. */
int ConfLibInit(void) { return 0; }
int CreateDeviceList(void) { return 0; }
