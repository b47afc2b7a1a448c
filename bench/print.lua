-- One million print statements of a number and a string; io.write, since print separates with a tab.
local write = io.write
local n = 1000000
local i = 0
while i < n do
    write(i, " line\n")
    i = i + 1
end
