-- Counts lattice points of an r x r quadrant inside a circle, an ellipse and a tilted band:
-- conditions of four or more operands on the two counters.
-- Every number is printed with "%g", as Azuvel prints it.
local r = 2000
local r2 = r * r
local half = r2 / 2
local circle, ellipse, band, ring = 0, 0, 0, 0
local i = 0
while i < r do
    local j = 0
    while j < r do
        if i * i + j * j < r2 then circle = circle + 1 end
        if i * i + j * j + i * j < r2 then ellipse = ellipse + 1 end
        if (i - j) * (i - j) * 4 + i + j < half then band = band + 1 end
        if i * i + j * j < r2 and i * i + j * j > half then ring = ring + 1 end
        j = j + 1
    end
    i = i + 1
end
print(string.format("%g %g %g %g", circle * 4 / r2, ellipse / r2, band / r2, ring / r2))
