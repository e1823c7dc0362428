-- Test double of the native module stdint: the translator scripts only
-- require it.
stdint = {}
package.loaded.stdint = stdint
return stdint
