/* The widl-generated headers include this for the imported base types; the
 * system headers define them. */
#include <ole2.h>
