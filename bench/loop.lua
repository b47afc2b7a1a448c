-- A counter from 0 to n in a while loop; "%g" because Azuvel prints every number that way.
local n = 10000000
local i = 0
while i < n do
    i = i + 1
end
print(string.format("%g", i))
